// Without any capture device (the harness points this program at no sound server): opening
// wave input fails with handle 0, and recording fails with an error instead of hanging.
#include <gtest/gtest.h>

#include "common/error.h"
#include "contract/contract_platform.h"
#include "contract/wav_test_file.h"

namespace voxtrel {
namespace {

TEST(NoCaptureDevice, OpeningWaveInputFailsWithHandleZeroAndRecordRaises) {
  const auto platform = contract::MakeContractPlatform();
  for (const std::uint32_t device : {0u, 0xFFFFFFFFu}) {  // the first device, the wave mapper
    platform::WaveInHandle handle = 1;
    EXPECT_NE(platform->services().waveIn.Open(&handle, device, testing_wav::Pcm16Mono(11025)),
              platform::kMmsyserrNoError);
    EXPECT_EQ(handle, 0u);
  }
  const auto control = platform->services().multimedia.CreateControl();
  control->SetDeviceType("WaveAudio");
  control->SetFileName(platform->services().system.AppPath() + "\\R.wav");
  control->Command("Open");
  try {
    control->Command("Record");
    ADD_FAILURE() << "recorded without a capture device";
  } catch (const Error& error) {
    EXPECT_EQ(error.number(), 328);
    EXPECT_EQ(error.source(), "WaveMe");
    EXPECT_EQ(error.description(), "No wave input device is available for recording.");
  }
  EXPECT_EQ(control->Mode(), platform::kMciModeStop);
  control->Command("Close");
  EXPECT_EQ(control->Mode(), platform::kMciModeNotReady);
}

}  // namespace
}  // namespace voxtrel
