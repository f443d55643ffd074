// Every vendor rule, one row each: the name is chosen so that the rule under
// test is the one that decides (the first-match rules before the clean-up,
// the replacement rules after it), and the expected word is what the whole
// rule list makes of it.
#include "devices/vendor_names.h"

#include <gtest/gtest.h>

#include "devices/vendor_rules.h"

namespace tav {
namespace {

struct VendorRow {
  const char* rule;
  const char* name;
  const char* expected;
};

constexpr VendorRow kRuleRows[] = {
    {"F1", "Brother Industries, Ltd.", "BROTHER"},
    {"F2", "Canon Inc.", "CANON"},
    {"F3", "N-Trig Ltd", "NTRIG"},
    {"F4", "Research In Motion Ltd", "RIM"},
    {"F5", "BlackBerry Limited", "RIM"},
    {"F6", "D-Link Corporation", "DLINK"},
    {"F7", "DisplayLink Corp.", "DLINK"},
    {"F8", "Ralink Technology, Corp.", "RALINK"},
    {"F9", "Ali Corporation", "ACER"},
    {"F10", "C-Media Electronics Inc", "CMEDIA"},
    {"F11", "Creative Technology Ltd", "CREATIVE"},
    {"F12", "Y-E Data Inc.", "YEDATA"},
    {"F13", "YED", "YEDATA"},
    {"F14", "(Standard system devices)", "MICROSOFT"},
    {"F15", "Advanced Micro Devices, Inc.", "AMD"},
    {"F16", "Analog Devices, Inc.", "ANALOGDEVICES"},
    {"F17", "Samsung Electronics Co., Ltd.", "SAMSUNG"},
    {"F18", "SSF Printers", "SAMSUNG"},
    {"F19", "SSUD", "SAMSUNG"},
    {"F20", "Hewlett-Packard", "HP"},
    {"F21", "\"HP\" Inc", "HP"},
    {"F22", "HP", "HP"},
    {"F23", "OfficeJet Pro", "HP"},
    {"F24", "EGO Systems", "EGO"},
    {"F25", "M8UDEV Audio", "EGO"},
    {"F26", "SOC PC-Camera", "SOC"},
    {"F27", "ATK Systems", "ATK"},
    {"F28", "InfoPrint Solutions", "INFOPRINT"},
    {"R1", "Microsoft", "MICROSOFT"},
    {"R2", "OEMCO", "MICROSOFT"},
    {"R3", "EMU", "CREATIVE"},
    {"R4", "ASUSTeK Computer Inc.", "ASUS"},
    {"R5", "Ricoh Company", "RICOH"},
    {"R6", "Qualcomm Atheros", "QUALCOMM"},
    {"R7", "Winbond Electronics", "WINBOND"},
    {"R8", "Ericsson Inc.", "ERICSSON"},
    {"R9", "Texas Instruments", "TEXAS"},
    {"R10", "Bison Electronics", "BISON"},
    {"R11", "Allied Telesis", "ALLIED"},
    {"R12", "Novatek Microelectronics", "NOVATEK"},
    {"R13", "Android Phone", "GOOGLE"},
    {"R14", "NETGEAR Inc.", "NETGEAR"},
    {"R15", "Gigabyte Technology", "GIGABYTE"},
    {"R16", "eGalax Inc.", "EGALAX"},
    {"R17", "O2Micro International", "O2MICRO"},
    {"R18", "SRS Labs", "SRS"},
    {"R19", "Option N.V.", "OPTION"},
    {"R20", "LSI Corporation", "LSI"},
    {"R21", "Argosy Research", "ARGOSY"},
    {"R22", "VIA Technologies, Inc.", "VIA"},
    {"R23", "Delta Electronics", "VIA"},
    {"R24", "Prodigy", "AUDIOTRACK"},
    {"R25", "IBM Corporation", "IBM"},
    {"R26", "LG Electronics", "LG"},
    {"R27", "ATMFGK", "ATK"},
    {"R28", "JVS", "JVS"},
    {"R29", "cFos Software", "CFOS"},
    {"R30", "Genius KYE Systems", "GENIOUS"},
    {"R31", "Sony Corporation", "SONY"},
    {"R32", "HitachiGST", "HITACHI"},
    {"R33", "QcomSerial", "QCOM"},
    {"R34", "QLogic Corporation", "QLOGIC"},
    {"R35", "Dell Inc.", "DELL"},
    {"R36", "NEC Corporation", "NEC"},
    {"R37", "LiveWire", "AIRLIVE"},
    {"R38", "Saitek Ltd", "SAITEK"},
    {"R39", "ITE Tech. Inc.", "ITE"},
    {"R40", "Fujitsu Limited", "FUJITSU"},
    {"R41", "ZTE Corporation", "ZTE"},
    {"R42", "SiS", "SIS"},
    {"R43", "Trident Microsystems", "TRIDENT"},
    {"R44", "S3", "S3"},
    {"R45", "XFXIX", "XEROX"},
    {"R46", "Angel Co", "ANGEL"},
    {"R47", "Syntek Semicon", "SYNTEK"},
    {"R48", "Alcor Micro", "ALCOR"},
    {"R49", "ASMedia Technology", "ASMEDIA"},
    {"R50", "Etron Technology", "ETRON"},
    {"R51", "Certance", "CERTANCE"},
    {"R52", "Fractal Design", "FRACTAL"},
    {"R53", "Feixun Tech", "FEIXUN"},
    {"R54", "Fresco Logic", "FRESCO"},
    {"R55", "Genesys Logic", "GENESYS"},
    {"R56", "Nuvoton Technology", "NUVOTON"},
    {"R57", "Planex Communications", "PLANEX"},
    {"R58", "Renesas Electronics", "RENESAS"},
    {"R59", "TerraTec Electronic", "TERRATEC"},
    {"R60", "Sierra Wireless", "SIERRA"},
    {"R61", "TRENDnet", "TRENDNET"},
    {"R62", "Xavi Technologies", "XAVI"},
    {"R63", "MLNX", "MELLANOX"},
    {"R64", "Toshiba Corporation", "TOSHIBA"},
    {"R65", "Matrox Graphics", "MATROX"},
    {"R66", "Sunplus Innovation", "SUNPLUS"},
    {"R67", "INTL", "INTEL"},
    {"R68", "Intel Corporation", "INTEL"},
    {"R69", "Lexmark International", "LEXMARK"},
    {"R70", "BRCD", "BROCADE"},
    {"R71", "IIYAMA", "YAMAHA"},
    {"R72", "JMicron Technology", "JMICRON"},
    {"R73", "Logitec", "LOGITECH"},
    {"R74", "Broadcom", "BROADCOM"},
    {"R75", "SYN", "SYNAPTICS"},
    {"R76", "Accton", "ACTION"},
    {"R77", "VMCAM", "VIMICRO"},
    {"R78", "ACR", "ACER"},
    {"R79", "AiChargerPlus", "ASUS"},
    {"R80", "AL", "AIRLINK"},
    {"R81", "AST", "ASPEED"},
    {"R82", "BAFO", "BIGFOOT"},
    {"R83", "BR", "BROTHER"},
    {"R84", "CAS", "CHICONY"},
    {"R85", "CP", "CANON"},
    {"R86", "ZPL", "ZEBRA"},
    {"R87", "MTM", "MITSUMI"},
    {"R88", "IO", "ECHO"},
    {"R89", "FXI2", "XEROX"},
    {"R90", "JL", "JEILIN"},
    {"R91", "MSI", "MICROSTAR"},
    {"R92", "NWT", "NOVATEL"},
    {"R93", "CY", "CYGNETRON"},
    {"R94", "LITE", "LITEON"},
    {"R95", "MAD", "MADCATZ"},
    {"R96", "MMMTS", "MMT"},
    {"R97", "CCDDIRECT", "UNIBRAIN"},
    {"R98", "PCL6", "HP"},
    {"R99", "UPEK", "AUTHENTEC"},
    {"R100", "TouchSense", "SAITEK"},
    {"R101", "WACMT", "WACOM"},
    {"R102", "WinFast", "LEADTEK"},
    {"R103", "RNDISS", "VIA"},
    {"R104", "NVDA", "NVIDIA"},
    {"R105", "ENECIR", "ENE"},
    {"R106", "CXT", "CONEXANT"},
    {"R107", "SYMC", "SYMANTEC"},
    {"R108", "RTK", "REALTEK"},
    {"R109", "Realtek Semiconductor Corp.", "REALTEK"},
    {"R110", "CSR", "CAMBRIDGE"},
    {"R111", "ADPT", "ADAPTEC"},
    {"R112", "Seiko Epson", "EPSON"},
    {"R113", "HTC", "HITACHI"},
    {"R114", "Kyocera Mita", "KYOCERA"},
    {"R115", "HSF", "CONEXANT"},
    {"R116", "XYZBTH", "ATHEROS"},
    {"R117", "BST", "BIOSTAR"},
    {"R118", "Silicon Image", "SILICON"},
    {"R119", "MUSE", "HERCULES"},
    {"R120", "MonsterTV", "VIDZMEDIA"},
    {"R121", "MAYA44", "ESI"},
    {"R122", "DuaFire", "ESI"},
    {"R123", "Motorola Inc", "MOTOROLA"},
    {"R124", "eMachines", "EMACHINES"},
    {"R125", "RawEther", "PCAUSA"},
    {"R126", "SRP", "BIXOLON"},
    {"R127", "TD", "TANDBERG"},
    {"R128", "GWY", "GATEWAY"},
    {"R129", "LNVO", "LENOVO"},
    {"R130", "TIUMP", "HUAWEI"},
    {"R131", "SMSC", "SMC"},
    {"R132", "STM", "ST"},
    {"R133", "UTC", "TOUCHUTILITY"},
    {"R134", "HCWHDPVR", "HAUPPAUGE"},
    {"R135", "Marvell Semiconductor", "MARVELL"},
    {"R136", "ZyAir", "ZYXEL"},
    {"R137", "\"AliCom\"", "ALI"},
    {"R138", "Compaq Computer", "COMPAQ"},
    {"R139", "SEC", "ATI"},
    {"R140", "SPOC", "INFINEON"},
    {"R141", "Killer Networking", "BIGFOOT"},
    {"R142", "WaveDVBT", "LUMANATE"},
    {"R143", "SF", "SOFTFOUNDRY"},
    {"R144", "GlobeSpan Virata", "GLOBESPAN"},
    {"R145", "Corega K.K.", "COREGA"},
    {"R146", "Sagem Communication", "SAGEM"},
    {"R147", "MAUIIIIG", "EMUSED"},
    {"R148", "Xtreme", "DIAMOND"},
};

TEST(VendorNamesTest, EveryRuleHasItsRow) {
  EXPECT_EQ(vendor_rules::FirstMatchRules().size(), 28u);
  EXPECT_EQ(vendor_rules::ReplacementRules().size(), 148u);
  EXPECT_EQ(std::size(kRuleRows), 28u + 148u);
}

TEST(VendorNamesTest, RuleTable) {
  for (const VendorRow& row : kRuleRows) {
    EXPECT_EQ(NormalizeVendor(row.name), row.expected) << "rule " << row.rule << ", name '" << row.name << "'";
  }
}

TEST(VendorNamesTest, EdgeCases) {
  const VendorRow rows[] = {
      {"", "Intel Corporation", "INTEL"},
      {"", "INTL", "INTEL"},
      {"", "(Standard system devices)", "MICROSOFT"},
      {"", "Realtek Semiconductor Corp.", "REALTEK"},
      {"", "Hewlett-Packard", "HP"},
      {"", "FXI", "NEC"},  // the first of two rules for the same word wins
      {"", "X", ""},       // one letter
      {"", "\xC3\x89lan Microelectronics", ""},  // a non-ASCII first word
      {"", "", ""},
      {"", "   ", ""},
      {"", "NVIDIA", "NVIDIA"},  // no rule: the first word itself
      {"", "ELAN Microelectronics Corp.", "ELAN"},
      {"", "brother", "BROTHER"},  // not "Brother": no first-match rule, the word itself
  };
  for (const VendorRow& row : rows) {
    EXPECT_EQ(NormalizeVendor(row.name), row.expected) << "name '" << row.name << "'";
  }
}

TEST(VendorNamesTest, ChoiceFallsBackToTheProvider) {
  EXPECT_EQ(ChooseVendor("Intel", "Microsoft"), "INTEL");
  EXPECT_EQ(ChooseVendor("", "Microsoft"), "MICROSOFT");
  EXPECT_EQ(ChooseVendor("X", "Realtek"), "REALTEK");
  EXPECT_EQ(ChooseVendor("", ""), "");
}

}  // namespace
}  // namespace tav
