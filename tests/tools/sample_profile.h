// A small virtual PC profile with a device for every case of the sample
// catalog: vendor drivers of Intel, Realtek and NVIDIA devices, devices on
// Windows' own drivers, a device without a driver and one left alone.
#pragma once

#include <nlohmann/json.hpp>

namespace tav::testing {

nlohmann::json SampleCatalogProfile();

}  // namespace tav::testing
