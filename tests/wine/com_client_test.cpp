// voxtrel.dll as a COM client meets it under Wine: created by its ProgID after regsvr32,
// called early bound and through IDispatch, heard through its connection point, and
// unregistered again. The harness feeds speech to the capture device, so recordings hold sound.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "wine/support/com_client.h"
#include "wine/support/com_registry.h"

namespace voxtrel {
namespace {

namespace fs = std::filesystem;
using win32::testing::ComApartment;
using win32::testing::ComResult;
using win32::testing::HResultText;
using win32::testing::PumpMessagesFor;
using win32::testing::PumpMessagesUntil;
using win32::testing::VoxtrelInstClient;

constexpr std::uint32_t kRecordingMs = 3000;
constexpr std::uint32_t kPlaybackPatienceMs = 20000;
constexpr char kTitle[] = "Vox Trel COM client";

std::string ReadFile(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), {});
}

std::string AddinFile(const std::string& name) {
  return win32::testing::ProgramFolder() + "\\" + name;
}

std::string Describe(const ComResult& result) {
  return HResultText(result.hresult) + " " + result.source + ": " + result.description;
}

// Seconds of audio in an MP3: the duration of its MPEG layer III frames after the ID3v2 tag.
double Mp3Seconds(const std::string& mp3) {
  static constexpr int kMpeg1Kbps[] = {0,   32,  40,  48,  56,  64,  80, 96,
                                       112, 128, 160, 192, 224, 256, 320};
  static constexpr int kMpeg2Kbps[] = {0,  8,  16, 24,  32,  40,  48, 56,
                                       64, 80, 96, 112, 128, 144, 160};
  // By version: MPEG-2.5, reserved, MPEG-2, MPEG-1.
  static constexpr int kRates[4][3] = {
      {11025, 12000, 8000}, {0, 0, 0}, {22050, 24000, 16000}, {44100, 48000, 32000}};
  const auto byte = [&](std::size_t at) { return static_cast<unsigned char>(mp3[at]); };
  std::size_t at = 0;
  if (mp3.rfind("ID3", 0) == 0 && mp3.size() >= 10) {
    at = 10 + (std::size_t{byte(6)} << 21 | std::size_t{byte(7)} << 14 | std::size_t{byte(8)} << 7 |
               byte(9));
  }
  double seconds = 0;
  while (at + 4 <= mp3.size() && byte(at) == 0xFF && (byte(at + 1) & 0xE6) == 0xE2) {
    const int version = (byte(at + 1) >> 3) & 3;
    const int kbpsIndex = byte(at + 2) >> 4;
    const int rateIndex = (byte(at + 2) >> 2) & 3;
    if (version == 1 || rateIndex == 3 || kbpsIndex == 0 || kbpsIndex == 15) break;
    const bool mpeg1 = version == 3;
    const int rate = kRates[version][rateIndex];
    const int kbps = mpeg1 ? kMpeg1Kbps[kbpsIndex] : kMpeg2Kbps[kbpsIndex];
    at += static_cast<std::size_t>((mpeg1 ? 144 : 72) * kbps * 1000 / rate +
                                   ((byte(at + 2) >> 1) & 1));
    seconds += (mpeg1 ? 1152.0 : 576.0) / rate;
  }
  return seconds;
}

// This process's working folders of audio objects in the temporary folder.
std::set<fs::path> WorkingFolders() {
  const std::wstring prefix = L"Voxtrel " + std::to_wstring(GetCurrentProcessId()) + L"-";
  std::set<fs::path> folders;
  for (const auto& entry : fs::directory_iterator(fs::temp_directory_path())) {
    if (entry.path().filename().wstring().rfind(prefix, 0) == 0) folders.insert(entry.path());
  }
  return folders;
}

class ComClient : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_LT(apartment_.hresult(), 0x80000000u) << HResultText(apartment_.hresult());
    const ComResult created = VoxtrelInstClient::Create(client_);
    ASSERT_TRUE(created.ok()) << "CoCreateInstance(Voxtrel.VoxtrelInst): " << Describe(created)
                              << " (is voxtrel.dll registered? see com.register)";
  }

  // Records from the fed capture device into `mp3`: start, a pumped wait, stop and encode.
  void Record(const std::string& mp3, std::uint32_t milliseconds = kRecordingMs) {
    std::error_code ignored;
    fs::remove(mp3, ignored);
    ASSERT_TRUE(client_->SetFileName(mp3).ok());
    const ComResult started = client_->RecordMp3(std::nullopt);
    ASSERT_TRUE(started.ok()) << Describe(started);
    PumpMessagesFor(milliseconds);
    const ComResult stopped = client_->RecordMp3(std::string(kTitle));
    ASSERT_TRUE(stopped.ok()) << Describe(stopped);
  }

  ComApartment apartment_;
  std::unique_ptr<VoxtrelInstClient> client_;
};

// Late-bound calls are the VBScript session's (tests/wine/vbscript).
TEST_F(ComClient, FileNameIsVoxtrelMp3InTheAddinFolderAndRoundTrips) {
  std::string read;
  ASSERT_TRUE(client_->GetFileName(read).ok());
  EXPECT_EQ(read, AddinFile("Voxtrel.mp3"));
  const std::string path =
      "C:\\Voice mail\\Nachricht f\xC3\xBCr Gr\xC3\xBC\xC3\x9F"
      "e.mp3";
  ASSERT_TRUE(client_->SetFileName(path).ok());
  ASSERT_TRUE(client_->GetFileName(read).ok());
  EXPECT_EQ(read, path);
}

TEST_F(ComClient, PlayingAMissingFileFailsWithErrorInfo) {
  ASSERT_TRUE(client_->SetFileName(AddinFile("no such message.mp3")).ok());
  // Early bound from IErrorInfo; late bound from the EXCEPINFO a script host reads into Err.
  for (const ComResult& result : {client_->PlayMp3(), client_->InvokeMethod("playMp3")}) {
    EXPECT_EQ(Describe(result), "0x800A03F4 VoxtrelInst.playMP3: There is no file to play back.");
  }
}

TEST_F(ComClient, AnswersItsInterfacesAndOffersItsEventsThroughOneConnectionPoint) {
  const auto ids = win32::testing::PublishedIds();
  const std::vector<std::string> iids = {ids.defaultInterface,
                                         "{00020400-0000-0000-C000-000000000046}",  // IDispatch
                                         "{B196B284-BAB4-101A-B69C-00AA00341D07}",  // container
                                         "{A6BC3AC0-DBAA-11CE-9DE3-00AA004BB851}",  // class info 2
                                         ids.events};
  const auto expected = [&](int connections) {
    return std::vector<std::string>{
        "answers " + iids[0],
        "answers " + iids[1],
        "answers " + iids[2],
        "answers " + iids[3],
        "refuses " + ids.events,
        "error info",
        "default source " + ids.events,
        "point " + ids.events + ": " + std::to_string(connections) + " connections"};
  };
  EXPECT_EQ(client_->Describe(iids), expected(0));
  ASSERT_TRUE(client_->Advise().ok());
  EXPECT_EQ(client_->Describe(iids), expected(1));
  ASSERT_TRUE(client_->Unadvise().ok());
  EXPECT_EQ(client_->Describe(iids), expected(0));
}

TEST_F(ComClient, RecordsAnMp3AndRaisesFinishedPlayingOncePerPlayback) {
  const std::string mp3 = AddinFile("com_client_test.mp3");
  Record(mp3);
  const std::string bytes = ReadFile(mp3);
  ASSERT_FALSE(bytes.empty()) << mp3;
  std::printf("MP3 of a %u ms recording: %zu bytes\n", kRecordingMs, bytes.size());
  EXPECT_EQ(bytes.substr(0, 3), "ID3");
  EXPECT_NE(bytes.find(kTitle), std::string::npos) << "the tag text is the MP3's title";

  ASSERT_TRUE(client_->Advise().ok());
  // To its end: one event.
  ASSERT_TRUE(client_->PlayMp3().ok());
  EXPECT_TRUE(
      PumpMessagesUntil([&] { return client_->finishedPlayingCount() > 0; }, kPlaybackPatienceMs))
      << "finishedPlaying never came";
  PumpMessagesFor(1000);
  EXPECT_EQ(client_->finishedPlayingCount(), 1);

  // Stopped by a second playMp3: one more.
  // A short pump: the recording may hold less than its 3 s when Wine's capture lagged.
  ASSERT_TRUE(client_->PlayMp3().ok());
  PumpMessagesFor(200);
  EXPECT_EQ(client_->finishedPlayingCount(), 1) << "ended before it was stopped";
  ASSERT_TRUE(client_->PlayMp3().ok());
  PumpMessagesFor(1500);
  EXPECT_EQ(client_->finishedPlayingCount(), 2);
  ASSERT_TRUE(client_->Unadvise().ok());
  client_.reset();

  const std::string log = ReadFile("c:\\debug.log");
  EXPECT_EQ(log.rfind("TraceWrite c:\\debug.log, ", 0), 0u) << log;
  for (const char* step : {"Audio Created!", "Audio.Record: Init", "Audio.Record: Saved Temp.Wav",
                           "Audio.Record: Make MP3 (SaveWaveFile)"}) {
    EXPECT_NE(log.find(std::string(step) + "\r\n"), std::string::npos) << step << "\n" << log;
  }
}

// Two recorders of one script at the same time: each records in a working folder of its own,
// so each MP3 holds its own recording. How much audio Wine's real-time capture delivers is
// printed; only which recording is the longer one is checked.
TEST_F(ComClient, TwoRecordersAtOnceEachMakeAnMp3OfTheirOwn) {
  const std::set<fs::path> before = WorkingFolders();
  std::unique_ptr<VoxtrelInstClient> other;
  ASSERT_TRUE(VoxtrelInstClient::Create(other).ok());
  const std::string longer = AddinFile("com_client_longer.mp3");
  const std::string shorter = AddinFile("com_client_shorter.mp3");
  std::error_code ignored;
  fs::remove(longer, ignored);
  fs::remove(shorter, ignored);
  ASSERT_TRUE(client_->SetFileName(longer).ok());
  ASSERT_TRUE(other->SetFileName(shorter).ok());
  ASSERT_TRUE(client_->RecordMp3(std::nullopt).ok());
  PumpMessagesFor(1000);
  ASSERT_TRUE(other->RecordMp3(std::nullopt).ok());
  EXPECT_EQ(WorkingFolders().size(), before.size() + 2);
  PumpMessagesFor(1000);
  const ComResult shortStop = other->RecordMp3(std::string("shorter"));
  ASSERT_TRUE(shortStop.ok()) << Describe(shortStop);
  PumpMessagesFor(2000);
  const ComResult longStop = client_->RecordMp3(std::string("longer"));
  ASSERT_TRUE(longStop.ok()) << Describe(longStop);

  const std::string shortMp3 = ReadFile(shorter);
  const std::string longMp3 = ReadFile(longer);
  std::printf("Two recordings at once: %.2f s and %.2f s of audio\n", Mp3Seconds(shortMp3),
              Mp3Seconds(longMp3));
  EXPECT_NE(shortMp3.find("shorter"), std::string::npos);
  EXPECT_NE(longMp3.find("longer"), std::string::npos);
  EXPECT_GT(Mp3Seconds(shortMp3), 0);
  EXPECT_GT(Mp3Seconds(longMp3), Mp3Seconds(shortMp3));
  other.reset();
  client_.reset();
  EXPECT_TRUE(PumpMessagesUntil([&] { return WorkingFolders() == before; }, 5000))
      << "working folders left behind";
}

// Run as com.no_capture, without a sound server: a recording that cannot start is an error.
TEST_F(ComClient, WithoutACaptureDeviceRecordMp3FailsWith1011) {
  if (std::getenv("VOXTREL_WINE_NO_AUDIO") == nullptr) {
    GTEST_SKIP() << "runs as com.no_capture, with VOXTREL_WINE_NO_AUDIO=1";
  }
  ASSERT_TRUE(client_->SetFileName(AddinFile("com_client_no_capture.mp3")).ok());
  for (const ComResult& result :
       {client_->RecordMp3(std::nullopt), client_->InvokeMethod("recordMp3")}) {
    EXPECT_EQ(Describe(result),
              "0x800A03F3 VoxtrelInst.recordMp3: No wave input device is available for "
              "recording.");
  }
}

// A script's event handler may drop the object ("Set recorder = Nothing") while the core is
// still raising the event: the object ends, the core only once its call has returned.
TEST_F(ComClient, ASinkMayReleaseTheObjectFromTheEvent) {
  const std::string mp3 = AddinFile("com_client_release.mp3");
  Record(mp3, 1500);
  ASSERT_TRUE(client_->Advise().ok());
  client_->ReleaseObjectOnFinishedPlaying();
  ASSERT_TRUE(client_->PlayMp3().ok());
  EXPECT_TRUE(PumpMessagesUntil([&] { return !client_->HoldsObject(); }, kPlaybackPatienceMs));
  PumpMessagesFor(500);
  EXPECT_EQ(client_->finishedPlayingCount(), 1);

  // The thread goes on serving new objects.
  std::unique_ptr<VoxtrelInstClient> next;
  ASSERT_TRUE(VoxtrelInstClient::Create(next).ok());
  std::string read;
  EXPECT_TRUE(next->GetFileName(read).ok());
}

// An environment variable set for this process while it lives.
class ScopedEnvironment {
 public:
  ScopedEnvironment(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    _putenv_s(name, value);
  }
  ~ScopedEnvironment() { _putenv_s(name_.c_str(), old_.c_str()); }
  ScopedEnvironment(const ScopedEnvironment&) = delete;
  ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

 private:
  std::string name_;
  std::string old_;
};

TEST(ComCreation, FailsWithTheFileErrorWhenNoTraceLogCanBeMade) {
  // A folder where the log should be, and a temporary folder that does not exist for the
  // fallback log: no log at all.
  const fs::path log = "c:\\debug.log";
  std::error_code ignored;
  fs::remove(log, ignored);
  ASSERT_TRUE(fs::create_directory(log));
  {
    const ScopedEnvironment tmp("TMP", "C:\\no such folder");
    const ScopedEnvironment temp("TEMP", "C:\\no such folder");
    ComApartment apartment;
    std::unique_ptr<VoxtrelInstClient> client;
    const ComResult created = VoxtrelInstClient::Create(client);
    EXPECT_EQ(Describe(created), "0x800A004C Voxtrel: Path not found");  // error 76
    EXPECT_EQ(client, nullptr);
  }
  fs::remove(log, ignored);
}

// Scripts call by name and dispatch id, compiled clients by slot; the tag is a BSTR* with a
// default, which widl cannot write and the build mends.
TEST(ComTypeLibrary, PublishesTheRecorderAsDocumented) {
  const auto ids = win32::testing::PublishedIds();
  // Flags: hidden 0x10, dual 0x40, nonextensible 0x80, oleautomation 0x100, dispatchable
  // 0x1000, can create 0x2; parameters in 1, out 2, retval 8, optional 0x10, default 0x20.
  const std::vector<std::string> expected = {
      "Voxtrel 1.0 " + ids.libid + " Voxtrel MP3 Voice Messages",
      "_VoxtrelInst kind 4 " + ids.defaultInterface + " flags 0x000010D0",
      "_VoxtrelInst kind 3 " + ids.defaultInterface + " flags 0x000011D0",
      "  fileName 0x68030000 put slot 1 (8 flags 0x00000001)",
      "  fileName 0x68030000 get slot 2 (26->8 flags 0x0000000A)",
      "  recordMp3 0x60030001 func slot 3 (26->8 flags 0x00000033 = Voxtrel Voice Message)",
      "  playMp3 0x60030002 func slot 4",
      "  pauseMP3 0x60030003 func slot 5",
      "__VoxtrelInst kind 4 " + ids.events + " flags 0x00001010",
      "  finishedPlaying 0x00000001 func",
      "VoxtrelInst kind 5 " + ids.clsid + " flags 0x00000002",
      "  implements " + ids.defaultInterface + " flags 1",  // default
      "  implements " + ids.events + " flags 3"};           // default source
  EXPECT_EQ(win32::testing::DescribeTypeLibrary(AddinFile("voxtrel.dll")), expected);
}

constexpr char kAddins[] = "Software\\Microsoft\\Office\\Outlook\\Addins";
constexpr char kSettings[] = "Software\\Microsoft\\Office\\Outlook\\Addins\\Voxtrel.MailWindow";
constexpr char kConnectClsid[] = "{52DE24F7-78C8-4EFD-B326-6BE50CDB2FCB}";

// A user's setting held while it lives, then put back as it was.
class ScopedUserSetting {
 public:
  ScopedUserSetting(const char* name, const char* value)
      : name_(name), old_(win32::testing::SetUserString(kSettings, name, value)) {}
  ~ScopedUserSetting() { win32::testing::SetUserString(kSettings, name_, old_); }
  ScopedUserSetting(const ScopedUserSetting&) = delete;
  ScopedUserSetting& operator=(const ScopedUserSetting&) = delete;

 private:
  std::string name_;
  std::optional<std::string> old_;
};

// The user's classes and Outlook's add-in entries.
std::set<std::string> SnapshotRegistration() {
  std::set<std::string> lines = win32::testing::SnapshotUserClasses();
  lines.merge(win32::testing::SnapshotUserKey(kAddins));
  return lines;
}

// The lines of a class registered by this DLL, below the user's classes.
std::set<std::string> ClassLines(const std::string& clsid, const std::string& progId,
                                 const std::string& name, const std::string& dll) {
  const std::string classKey = "HKCU\\Software\\Classes\\CLSID\\" + clsid;
  const std::string progIdKey = "HKCU\\Software\\Classes\\" + progId;
  return {classKey,
          classKey + "|=" + name,
          classKey + "\\InprocServer32",
          classKey + "\\InprocServer32|=" + dll,
          classKey + "\\InprocServer32|ThreadingModel=Apartment",
          classKey + "\\ProgID",
          classKey + "\\ProgID|=" + progId,
          progIdKey,
          progIdKey + "|=" + name,
          progIdKey + "\\CLSID",
          progIdKey + "\\CLSID|=" + clsid};
}

// Leaves the server registered as it found it, so it may run in any order.
TEST(ComRegistration, UnregisterRemovesEveryKeyItWroteAndNothingElse) {
  const std::string dll = AddinFile("voxtrel.dll");
  const auto ids = win32::testing::PublishedIds();
  const std::string classKey = "HKCU\\Software\\Classes\\CLSID\\" + ids.clsid;
  const std::string addinKey = "HKCU\\" + std::string(kAddins) + "\\Voxtrel.Connect";
  const std::string settingsKey = "HKCU\\" + std::string(kSettings);
  const ScopedUserSetting quality("AQ", "1");
  const ScopedUserSetting tagLine("TagLine", "0");

  const std::set<std::string> registered = SnapshotRegistration();
  ASSERT_TRUE(registered.count(classKey)) << "not registered before the test";

  ASSERT_EQ(win32::testing::RunRegsvr32(dll, true), 0);
  const std::set<std::string> unregistered = SnapshotRegistration();

  std::vector<std::string> removed;
  for (const std::string& line : registered) {
    if (!unregistered.count(line)) removed.push_back(line);
  }
  for (const std::string& line : unregistered) {
    EXPECT_TRUE(registered.count(line)) << "unregistration wrote " << line;
  }
  std::set<std::string> expected = ClassLines(ids.clsid, "Voxtrel.VoxtrelInst", "VoxtrelInst", dll);
  expected.merge(ClassLines(kConnectClsid, "Voxtrel.Connect", "Connect", dll));
  expected.merge(std::set<std::string>{
      classKey + "\\TypeLib", classKey + "\\TypeLib|=" + ids.libid, classKey + "\\Version",
      classKey + "\\Version|=1.0", addinKey, addinKey + "|FriendlyName=Voxtrel",
      addinKey + "|Description=MP3 Voice Email Add-in", addinKey + "|LoadBehavior=dword 3"});
  // Windows' RegisterTypeLibForUser adds its TypeLib and Interface keys below HKCU too; Wine
  // writes them under HKLM.
  for (const std::string& line : removed) {
    const bool typeLibrary = line.find("\\TypeLib\\" + ids.libid) != std::string::npos ||
                             line.find("\\Interface\\") != std::string::npos;
    EXPECT_TRUE(expected.count(line) || typeLibrary) << "removed " << line;
  }
  for (const std::string& line : expected) {
    EXPECT_FALSE(unregistered.count(line)) << "left behind: " << line;
  }
  for (const char* setting : {"|AQ=1", "|TagLine=0"}) {
    EXPECT_TRUE(unregistered.count(settingsKey + setting)) << "removed the user's " << setting;
  }

  ASSERT_EQ(win32::testing::RunRegsvr32(dll, false), 0);
  EXPECT_EQ(SnapshotRegistration(), registered);
}

}  // namespace
}  // namespace voxtrel
