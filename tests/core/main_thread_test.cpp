#include "core/main_thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "tests/support/temp_machine.h"

namespace tav {
namespace {

class MainThreadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    MainThread::Init();
    MainThread::Restart();
  }
  testing::TempMachine pc_;
};

TEST_F(MainThreadTest, WorkersRunTheirCallsOnTheMainThreadInOrder) {
  std::vector<int> seen;
  std::atomic<int> finished{0};
  const std::thread::id main_id = std::this_thread::get_id();
  bool all_on_main = true;
  std::vector<std::thread> workers;
  for (int w = 0; w < 3; ++w) {
    workers.emplace_back([&, w] {
      for (int i = 0; i < 50; ++i) {
        EXPECT_TRUE(MainThread::Synchronize([&] {
          all_on_main = all_on_main && std::this_thread::get_id() == main_id;
          seen.push_back(w * 1000 + i);
        }));
      }
      ++finished;
    });
  }
  MainThread::RunLoop([&] { return finished == 3; }, 10);
  for (auto& t : workers) t.join();
  EXPECT_TRUE(all_on_main);
  ASSERT_EQ(seen.size(), 150u);
  // Each worker's calls keep their order.
  for (int w = 0; w < 3; ++w) {
    int last = -1;
    for (int v : seen) {
      if (v / 1000 == w) {
        EXPECT_GT(v % 1000, last);
        last = v % 1000;
      }
    }
  }
}

TEST_F(MainThreadTest, SynchronizeOnTheMainThreadRunsAtOnce) {
  int runs = 0;
  EXPECT_TRUE(MainThread::Synchronize([&] { ++runs; }));
  EXPECT_EQ(runs, 1);
}

TEST_F(MainThreadTest, AfterShutdownWorkersAreNotBlocked) {
  std::atomic<bool> started{false};
  std::atomic<int> result{-1};
  std::thread worker([&] {
    started = true;
    result = MainThread::Synchronize([] {}) ? 1 : 0;
  });
  while (!started) std::this_thread::yield();
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  MainThread::Shutdown();
  worker.join();
  EXPECT_EQ(result, 0) << "the waiting call is answered as not run";
  std::thread late([] { EXPECT_FALSE(MainThread::Synchronize([] {})); });
  late.join();
}

TEST_F(MainThreadTest, AnExceptionReachesTheWaitingWorker) {
  std::atomic<bool> done{false};
  std::thread worker([&] {
    EXPECT_THROW(MainThread::Synchronize([] { throw std::runtime_error("boom"); }),
                 std::runtime_error);
    done = true;
  });
  MainThread::RunLoop([&] { return done.load(); }, 10);
  worker.join();
}

TEST_F(MainThreadTest, QueuedCallsRunWithoutWaiting) {
  int runs = 0;
  std::thread([&] { MainThread::Queue([&] { ++runs; }); }).join();
  EXPECT_EQ(runs, 0);
  MainThread::ProcessPending(0);
  EXPECT_EQ(runs, 1);
}

}  // namespace
}  // namespace tav
