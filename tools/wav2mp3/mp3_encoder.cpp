#include "mp3_encoder.h"

#include <lame/lame.h>

#include <cerrno>
#include <climits>
#include <cstdarg>
#include <cstring>
#include <utility>
#include <vector>

namespace voxtrel::wav2mp3 {
namespace {

constexpr std::size_t kFramesPerBlock = 8192;

struct LameCloser {
  void operator()(lame_global_flags* flags) const { lame_close(flags); }
};
using Lame = std::unique_ptr<lame_global_flags, LameCloser>;

// LAME's own reports would break --quiet; failures are reported by this program instead.
void Silent(const char*, va_list) {}

Lame Configure(const WavFormat& format, const EncodeSettings& settings) {
  Lame lame(lame_init());
  if (!lame) throw EncodeError("LAME could not start");
  lame_t flags = lame.get();
  lame_set_errorf(flags, Silent);
  lame_set_debugf(flags, Silent);
  lame_set_msgf(flags, Silent);
  lame_set_num_channels(flags, 1);
  lame_set_in_samplerate(flags, format.sample_rate);
  lame_set_out_samplerate(flags, settings.output_rate);
  lame_set_mode(flags, MONO);
  lame_set_error_protection(flags, settings.crc ? 1 : 0);
  lame_set_original(flags, settings.copy ? 0 : 1);
  lame_set_bWriteVbrTag(flags, 1);
  // The tags are written by hand so that every write is checked and the info frame can be
  // put back in its place after the ID3v2 tag.
  lame_set_write_id3tag_automatic(flags, 0);
  id3tag_init(flags);
  if (!settings.title.empty()) {
    id3tag_add_v2(flags);
    id3tag_set_title(flags, settings.title.c_str());
  }
  if (lame_init_params(flags) < 0) throw EncodeError("LAME refused the encoder settings");
  return lame;
}

// Calls one of LAME's "copy into this buffer, or tell me the size" functions.
template <typename Get>
std::size_t Fetch(std::vector<std::uint8_t>& buffer, Get get) {
  std::size_t size = get(buffer.data(), buffer.size());
  if (size > buffer.size()) {
    buffer.resize(size);
    size = get(buffer.data(), buffer.size());
  }
  return size;
}

void Check(int result) {
  if (result < 0) throw EncodeError("LAME failed with code " + std::to_string(result));
}

std::string ErrnoText() {
  return errno ? std::string(": ") + std::strerror(errno) : "";
}

}  // namespace

OutputFile::OutputFile(std::string path) : path_(std::move(path)), partPath_(path_ + kPartSuffix) {
  file_.reset(std::fopen(partPath_.c_str(), "wb"));
  if (!file_) throw EncodeError("cannot create '" + partPath_ + "'" + ErrnoText());
}

OutputFile::~OutputFile() {
  if (file_) {
    file_.reset();
    std::remove(partPath_.c_str());
  }
}

void OutputFile::Write(std::span<const std::uint8_t> bytes) {
  errno = 0;
  if (std::fwrite(bytes.data(), 1, bytes.size(), file_.get()) != bytes.size()) {
    throw EncodeError("cannot write '" + partPath_ + "'" + ErrnoText());
  }
}

void OutputFile::Seek(std::uint64_t offset) {
  errno = 0;
  if (offset > LONG_MAX || std::fseek(file_.get(), static_cast<long>(offset), SEEK_SET) != 0) {
    throw EncodeError("cannot seek in '" + partPath_ + "'" + ErrnoText());
  }
}

void OutputFile::Close() {
  errno = 0;
  std::FILE* file = file_.release();
  const bool flushed = std::fflush(file) == 0;
  const bool closed = std::fclose(file) == 0;
  // The C runtime's rename on Windows does not replace a file: the old one goes first there.
  const bool renamed =
      flushed && closed &&
      (std::rename(partPath_.c_str(), path_.c_str()) == 0 ||
       (std::remove(path_.c_str()) == 0 && std::rename(partPath_.c_str(), path_.c_str()) == 0));
  if (!renamed) {
    const std::string reason = ErrnoText();
    std::remove(partPath_.c_str());
    throw EncodeError("cannot finish '" + path_ + "'" + reason);
  }
}

void EncodeMp3(WavReader& reader, const EncodeSettings& settings, OutputFile& output) {
  const Lame lame = Configure(reader.format(), settings);
  lame_t flags = lame.get();

  // LAME's bound for one call is 1.25 bytes per output sample plus 7200; resampling up
  // multiplies the output samples.
  const std::size_t upsampling =
      static_cast<std::size_t>(lame_get_out_samplerate(flags) / reader.format().sample_rate) + 1;
  std::vector<std::uint8_t> mp3(kFramesPerBlock * upsampling * 5 / 4 + 7200);
  const int mp3_size = static_cast<int>(mp3.size());

  const std::size_t id3v2_size = Fetch(mp3, [&](std::uint8_t* data, std::size_t size) {
    return lame_get_id3v2_tag(flags, data, size);
  });
  output.Write(std::span(mp3).first(id3v2_size));

  std::vector<std::int16_t> pcm(kFramesPerBlock);
  while (const std::size_t frames = reader.ReadMono(pcm)) {
    const int bytes = lame_encode_buffer(flags, pcm.data(), pcm.data(), static_cast<int>(frames),
                                         mp3.data(), mp3_size);
    Check(bytes);
    output.Write(std::span(mp3).first(static_cast<std::size_t>(bytes)));
  }
  const int flushed = lame_encode_flush(flags, mp3.data(), mp3_size);
  Check(flushed);
  output.Write(std::span(mp3).first(static_cast<std::size_t>(flushed)));

  const std::size_t id3v1_size = Fetch(mp3, [&](std::uint8_t* data, std::size_t size) {
    return lame_get_id3v1_tag(flags, data, size);
  });
  output.Write(std::span(mp3).first(id3v1_size));

  const std::size_t info_size = Fetch(mp3, [&](std::uint8_t* data, std::size_t size) {
    return lame_get_lametag_frame(flags, data, size);
  });
  if (info_size > 0) {
    output.Seek(id3v2_size);
    output.Write(std::span(mp3).first(info_size));
  }
  output.Close();
}

}  // namespace voxtrel::wav2mp3
