// Wave input as the recorder polls it: one header prepared, queued, waited for and queued
// again. Natively against the virtual device, under Wine against winmm with a capture device.
#include <gtest/gtest.h>

#include <array>

#include "contract/contract_platform.h"
#include "contract/wav_test_file.h"

namespace voxtrel {
namespace {

using platform::kMmsyserrNoError;
using platform::kWhdrDone;
using platform::kWhdrInQueue;
using platform::kWhdrPrepared;

constexpr std::uint32_t kBufferBytes = 512;
// Far longer than a 512-byte buffer takes at 11025 Hz, so only a broken device reaches it.
constexpr std::uint32_t kPatienceMs = 10000;

class WaveInContract : public testing::Test {
 protected:
  void SetUp() override {
    platform_ = contract::MakeContractPlatform();
    header_.data = buffer_.data();
    header_.bufferLength = kBufferBytes;
    ASSERT_EQ(port().Open(&handle_, 0, testing_wav::Pcm16Mono(11025)), kMmsyserrNoError);
    ASSERT_NE(handle_, 0u);
    ASSERT_EQ(port().PrepareHeader(handle_, header_), kMmsyserrNoError);
    EXPECT_EQ(header_.flags, kWhdrPrepared);
  }
  // Every test leaves the device as the recorder does: reset, unprepared, closed.
  void TearDown() override {
    EXPECT_EQ(port().Reset(handle_), kMmsyserrNoError);
    EXPECT_EQ(header_.flags & kWhdrInQueue, 0u);
    EXPECT_EQ(port().UnprepareHeader(handle_, header_), kMmsyserrNoError);
    EXPECT_EQ(header_.flags & kWhdrPrepared, 0u);
    EXPECT_EQ(port().Close(handle_), kMmsyserrNoError);
  }

  platform::IWaveIn& port() { return platform_->services().waveIn; }

  void QueueAndWait() {
    ASSERT_EQ(port().AddBuffer(handle_, header_), kMmsyserrNoError);
    EXPECT_EQ(header_.flags, kWhdrPrepared | kWhdrInQueue);
    ASSERT_TRUE(port().WaitForBuffer(handle_, header_, kPatienceMs));
    EXPECT_EQ(header_.flags, kWhdrPrepared | kWhdrDone);
    EXPECT_EQ(header_.bytesRecorded, kBufferBytes);
  }

  std::unique_ptr<contract::ContractPlatform> platform_;
  std::array<std::uint8_t, kBufferBytes> buffer_{};
  platform::WaveHeader header_;
  platform::WaveInHandle handle_ = 0;
};

// Queued twice, a buffer would come back twice and its audio be saved twice.
TEST_F(WaveInContract, AHeaderIsNeverQueuedTwiceAndIsFilledWholeCycleAfterCycle) {
  ASSERT_EQ(port().AddBuffer(handle_, header_), kMmsyserrNoError);
  EXPECT_EQ(port().AddBuffer(handle_, header_), platform::kWaverrStillPlaying);
  EXPECT_EQ(port().UnprepareHeader(handle_, header_), platform::kWaverrStillPlaying);
  ASSERT_EQ(port().Start(handle_), kMmsyserrNoError);
  ASSERT_TRUE(port().WaitForBuffer(handle_, header_, kPatienceMs));
  EXPECT_EQ(header_.flags, kWhdrPrepared | kWhdrDone);
  // Returned once: queued again it is the only buffer in the device.
  for (int cycle = 0; cycle < 8; ++cycle) {
    SCOPED_TRACE(cycle);
    QueueAndWait();
  }
}

TEST_F(WaveInContract, ResetReturnsTheQueuedBufferDoneStartedOrNot) {
  ASSERT_EQ(port().AddBuffer(handle_, header_), kMmsyserrNoError);
  EXPECT_FALSE(port().WaitForBuffer(handle_, header_, 50));  // never started: nothing fills it
  ASSERT_EQ(port().Reset(handle_), kMmsyserrNoError);
  EXPECT_EQ(header_.flags, kWhdrPrepared | kWhdrDone);
  EXPECT_LE(header_.bytesRecorded, kBufferBytes);
  ASSERT_EQ(port().AddBuffer(handle_, header_), kMmsyserrNoError);
  ASSERT_EQ(port().Start(handle_), kMmsyserrNoError);
  ASSERT_EQ(port().Reset(handle_), kMmsyserrNoError);
  EXPECT_EQ(header_.flags, kWhdrPrepared | kWhdrDone);
}

// Waits that cannot end return at once, whatever their timeout.
TEST_F(WaveInContract, BadHandlesAndHeadersOutsideTheQueueFailAtOnce) {
  for (const auto call : {&platform::IWaveIn::PrepareHeader, &platform::IWaveIn::AddBuffer,
                          &platform::IWaveIn::UnprepareHeader}) {
    EXPECT_EQ((port().*call)(0, header_), platform::kMmsyserrInvalidHandle);
  }
  for (const auto call :
       {&platform::IWaveIn::Start, &platform::IWaveIn::Reset, &platform::IWaveIn::Close}) {
    EXPECT_EQ((port().*call)(0), platform::kMmsyserrInvalidHandle);
  }
  const std::uint64_t before = platform_->services().events.TickCount();
  EXPECT_FALSE(port().WaitForBuffer(0, header_, 60000));
  ASSERT_EQ(port().Start(handle_), kMmsyserrNoError);
  EXPECT_FALSE(port().WaitForBuffer(handle_, header_, 60000));  // prepared, not queued
  EXPECT_LT(platform_->services().events.TickCount() - before, 30000u) << "it waited";

  platform::WaveInHandle unknown = 12345;
  EXPECT_EQ(port().Open(&unknown, 77, testing_wav::Pcm16Mono(11025)),
            platform::kMmsyserrBadDeviceId);
  EXPECT_EQ(unknown, 0u);
}

}  // namespace
}  // namespace voxtrel
