// Wave input as the recorder polls it: one header prepared, queued, waited for and queued
// again. Natively against the virtual device, under Wine against winmm with a capture device.
#include <gtest/gtest.h>

#include <array>

#include "contract/contract_platform.h"
#include "contract/wav_test_file.h"

namespace voxtrel {
namespace {

using platform::WaveHeader;
using platform::WaveInHandle;

constexpr std::uint32_t kBufferBytes = 512;
// Far longer than a 512-byte buffer takes at 11025 Hz, so only a broken device reaches it.
constexpr std::uint32_t kPatienceMs = 10000;

class WaveInContract : public testing::Test {
 protected:
  void SetUp() override {
    platform_ = contract::MakeContractPlatform();
    header_.data = buffer_.data();
    header_.bufferLength = kBufferBytes;
  }
  void TearDown() override {
    if (handle_ != 0) {
      port().Reset(handle_);
      port().UnprepareHeader(handle_, header_);
      port().Close(handle_);
    }
  }

  platform::IWaveIn& port() { return platform_->services().waveIn; }
  platform::IEventLoop& loop() { return platform_->services().events; }

  void OpenDevice() {
    ASSERT_EQ(port().Open(&handle_, 0, testing_wav::Pcm16Mono(11025)), platform::kMmsyserrNoError);
    ASSERT_NE(handle_, 0u);
  }

  void ExpectFilled() {
    EXPECT_NE(header_.flags & platform::kWhdrDone, 0u);
    EXPECT_EQ(header_.flags & platform::kWhdrInQueue, 0u);
    EXPECT_NE(header_.flags & platform::kWhdrPrepared, 0u);
    EXPECT_EQ(header_.bytesRecorded, kBufferBytes);
  }

  std::unique_ptr<contract::ContractPlatform> platform_;
  std::array<std::uint8_t, kBufferBytes> buffer_{};
  WaveHeader header_;
  WaveInHandle handle_ = 0;
};

TEST_F(WaveInContract, AQueuedBufferOfAStartedStreamIsFilledWhole) {
  OpenDevice();
  ASSERT_EQ(port().PrepareHeader(handle_, header_), platform::kMmsyserrNoError);
  EXPECT_NE(header_.flags & platform::kWhdrPrepared, 0u);
  ASSERT_EQ(port().AddBuffer(handle_, header_), platform::kMmsyserrNoError);
  EXPECT_NE(header_.flags & platform::kWhdrInQueue, 0u);
  EXPECT_EQ(header_.flags & platform::kWhdrDone, 0u);
  ASSERT_EQ(port().Start(handle_), platform::kMmsyserrNoError);

  ASSERT_TRUE(port().WaitForBuffer(handle_, header_, kPatienceMs));
  ExpectFilled();
  EXPECT_EQ(port().UnprepareHeader(handle_, header_), platform::kMmsyserrNoError);
  EXPECT_EQ(header_.flags & platform::kWhdrPrepared, 0u);
  EXPECT_EQ(port().Reset(handle_), platform::kMmsyserrNoError);
  EXPECT_EQ(port().Close(handle_), platform::kMmsyserrNoError);
  handle_ = 0;
}

TEST_F(WaveInContract, TheSameHeaderIsQueuedAgainCycleAfterCycle) {
  OpenDevice();
  ASSERT_EQ(port().PrepareHeader(handle_, header_), platform::kMmsyserrNoError);
  ASSERT_EQ(port().Start(handle_), platform::kMmsyserrNoError);
  for (int cycle = 0; cycle < 8; ++cycle) {
    SCOPED_TRACE(cycle);
    ASSERT_EQ(port().AddBuffer(handle_, header_), platform::kMmsyserrNoError);
    EXPECT_EQ(header_.flags & platform::kWhdrDone, 0u);
    ASSERT_TRUE(port().WaitForBuffer(handle_, header_, kPatienceMs));
    ExpectFilled();
  }
  EXPECT_EQ(port().UnprepareHeader(handle_, header_), platform::kMmsyserrNoError);
}

TEST_F(WaveInContract, AHeaderStillInTheQueueIsNotQueuedTwice) {
  OpenDevice();
  ASSERT_EQ(port().PrepareHeader(handle_, header_), platform::kMmsyserrNoError);
  ASSERT_EQ(port().AddBuffer(handle_, header_), platform::kMmsyserrNoError);
  EXPECT_EQ(port().AddBuffer(handle_, header_), platform::kWaverrStillPlaying);
  EXPECT_EQ(port().UnprepareHeader(handle_, header_), platform::kWaverrStillPlaying);
  ASSERT_EQ(port().Start(handle_), platform::kMmsyserrNoError);

  ASSERT_TRUE(port().WaitForBuffer(handle_, header_, kPatienceMs));
  ExpectFilled();
  // Queued once, returned once: nothing of it is left in the device.
  EXPECT_EQ(port().UnprepareHeader(handle_, header_), platform::kMmsyserrNoError);
  EXPECT_EQ(port().Close(handle_), platform::kMmsyserrNoError);
  handle_ = 0;
}

TEST_F(WaveInContract, ResetReturnsTheQueuedBufferMarkedDone) {
  OpenDevice();
  ASSERT_EQ(port().PrepareHeader(handle_, header_), platform::kMmsyserrNoError);
  ASSERT_EQ(port().AddBuffer(handle_, header_), platform::kMmsyserrNoError);
  // Never started: nothing fills it.
  EXPECT_FALSE(port().WaitForBuffer(handle_, header_, 50));
  EXPECT_NE(header_.flags & platform::kWhdrInQueue, 0u);

  ASSERT_EQ(port().Reset(handle_), platform::kMmsyserrNoError);
  EXPECT_NE(header_.flags & platform::kWhdrDone, 0u);
  EXPECT_EQ(header_.flags & platform::kWhdrInQueue, 0u);
  EXPECT_LE(header_.bytesRecorded, kBufferBytes);
  EXPECT_EQ(port().UnprepareHeader(handle_, header_), platform::kMmsyserrNoError);
  EXPECT_EQ(port().Close(handle_), platform::kMmsyserrNoError);
  handle_ = 0;
}

TEST_F(WaveInContract, AStartedStreamResetMidwayCanBeClosed) {
  OpenDevice();
  ASSERT_EQ(port().PrepareHeader(handle_, header_), platform::kMmsyserrNoError);
  ASSERT_EQ(port().AddBuffer(handle_, header_), platform::kMmsyserrNoError);
  ASSERT_EQ(port().Start(handle_), platform::kMmsyserrNoError);
  ASSERT_EQ(port().Reset(handle_), platform::kMmsyserrNoError);
  EXPECT_NE(header_.flags & platform::kWhdrDone, 0u);
  EXPECT_EQ(port().UnprepareHeader(handle_, header_), platform::kMmsyserrNoError);
  EXPECT_EQ(port().Close(handle_), platform::kMmsyserrNoError);
  handle_ = 0;
}

TEST_F(WaveInContract, CallsOnHandleZeroFailAndWaitingOnItReturnsAtOnce) {
  EXPECT_EQ(port().PrepareHeader(0, header_), platform::kMmsyserrInvalidHandle);
  EXPECT_EQ(port().AddBuffer(0, header_), platform::kMmsyserrInvalidHandle);
  EXPECT_EQ(port().Start(0), platform::kMmsyserrInvalidHandle);
  EXPECT_EQ(port().UnprepareHeader(0, header_), platform::kMmsyserrInvalidHandle);
  EXPECT_EQ(port().Reset(0), platform::kMmsyserrInvalidHandle);
  EXPECT_EQ(port().Close(0), platform::kMmsyserrInvalidHandle);

  const std::uint64_t before = loop().TickCount();
  EXPECT_FALSE(port().WaitForBuffer(0, header_, 60000));
  EXPECT_LT(loop().TickCount() - before, 10000u);
}

TEST_F(WaveInContract, WaitingForAHeaderThatIsNotQueuedReturnsAtOnce) {
  OpenDevice();
  ASSERT_EQ(port().Start(handle_), platform::kMmsyserrNoError);
  const std::uint64_t before = loop().TickCount();
  EXPECT_FALSE(port().WaitForBuffer(handle_, header_, 60000));
  ASSERT_EQ(port().PrepareHeader(handle_, header_), platform::kMmsyserrNoError);
  EXPECT_FALSE(port().WaitForBuffer(handle_, header_, 60000));
  EXPECT_LT(loop().TickCount() - before, 10000u);
}

TEST_F(WaveInContract, AnUnknownDeviceIsRefusedWithHandleZero) {
  WaveInHandle handle = 12345;
  EXPECT_EQ(port().Open(&handle, 77, testing_wav::Pcm16Mono(11025)),
            platform::kMmsyserrBadDeviceId);
  EXPECT_EQ(handle, 0u);
}

}  // namespace
}  // namespace voxtrel
