#include "sim/platform/wav_bytes.h"

#include "common/wav_format.h"

namespace voxtrel::sim {

platform::WaveFormat RecordingFormat() {
  return {.formatTag = 1,
          .channels = 1,
          .samplesPerSec = 11025,
          .avgBytesPerSec = 22050,
          .blockAlign = 2,
          .bitsPerSample = 16,
          .cbSize = 0};
}

std::string MakeWav(const platform::WaveFormat& format, std::string_view samples) {
  return wav::File({format.formatTag, format.channels, format.samplesPerSec, format.avgBytesPerSec,
                    format.blockAlign, format.bitsPerSample},
                   samples);
}

std::optional<WavInfo> ReadWavInfo(std::string_view bytes) {
  const auto contents = wav::Parse(wav::AsBytes(bytes));
  if (!contents) return std::nullopt;
  const wav::Format& f = contents->format;
  return WavInfo{{f.formatTag, f.channels, f.samplesPerSec, f.avgBytesPerSec, f.blockAlign,
                  f.bitsPerSample, 0},
                 contents->dataBytes};
}

}  // namespace voxtrel::sim
