// voxtrel.dll as a COM client meets it under Wine: created by its ProgID after regsvr32,
// called early bound and through IDispatch, heard through its connection point, and
// unregistered again. The harness feeds speech to the capture device, so recordings hold sound.
#include <gtest/gtest.h>

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
using win32::testing::Passing;
using win32::testing::PumpMessagesFor;
using win32::testing::PumpMessagesUntil;
using win32::testing::VoxtrelInstClient;

constexpr std::uint32_t kNoFileToPlay = 0x800A03F4;
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

TEST_F(ComClient, FileNameRoundTripsEarlyAndLateBound) {
  const std::string path =
      "C:\\Voice mail\\Nachricht f\xC3\xBCr Gr\xC3\xBC\xC3\x9F"
      "e.mp3";
  ASSERT_TRUE(client_->SetFileName(path).ok());
  std::string read;
  ASSERT_TRUE(client_->GetFileName(read).ok());
  EXPECT_EQ(read, path);

  ASSERT_TRUE(client_->InvokePut("fileName", "D:\\late.mp3").ok());
  ASSERT_TRUE(client_->InvokeGet("FILENAME", read).ok());
  EXPECT_EQ(read, "D:\\late.mp3");
}

TEST_F(ComClient, DefaultFileIsVoxtrelMp3InTheAddinFolder) {
  std::string read;
  ASSERT_TRUE(client_->GetFileName(read).ok());
  EXPECT_EQ(read, AddinFile("Voxtrel.mp3"));
}

TEST_F(ComClient, PlayingAMissingFileFailsWithErrorInfo) {
  ASSERT_TRUE(client_->SetFileName(AddinFile("no such message.mp3")).ok());
  ASSERT_TRUE(client_->SupportsErrorInfo());

  const ComResult early = client_->PlayMp3();
  EXPECT_EQ(early.hresult, kNoFileToPlay) << Describe(early);
  EXPECT_EQ(early.source, "VoxtrelInst.playMP3");
  EXPECT_EQ(early.description, "There is no file to play back.");

  // What a script host reads into Err.Number, Err.Source and Err.Description.
  const ComResult late = client_->InvokeMethod("playMp3");
  EXPECT_EQ(late.hresult, kNoFileToPlay) << Describe(late);
  EXPECT_EQ(late.source, "VoxtrelInst.playMP3");
  EXPECT_EQ(late.description, "There is no file to play back.");
}

TEST_F(ComClient, OffersItsEventsThroughOneConnectionPoint) {
  const auto ids = win32::testing::PublishedIds();
  EXPECT_TRUE(client_->Supports(ids.defaultInterface));
  EXPECT_TRUE(client_->Supports("{00020400-0000-0000-C000-000000000046}"));  // IDispatch
  EXPECT_TRUE(client_->Supports("{B196B284-BAB4-101A-B69C-00AA00341D07}"));  // container
  EXPECT_TRUE(client_->Supports("{A6BC3AC0-DBAA-11CE-9DE3-00AA004BB851}"));  // class info 2
  EXPECT_FALSE(client_->Supports(ids.events));
  EXPECT_EQ(client_->DefaultSourceInterface(), ids.events);
  EXPECT_EQ(client_->ConnectionPointInterfaces(), std::vector<std::string>{ids.events});

  ASSERT_TRUE(client_->Advise().ok());
  EXPECT_EQ(client_->ConnectionCount(), 1);
  ASSERT_TRUE(client_->Unadvise().ok());
  EXPECT_EQ(client_->ConnectionCount(), 0);
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
  ASSERT_TRUE(client_->PlayMp3().ok());
  PumpMessagesFor(500);
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

TEST_F(ComClient, ScriptsRecordWithTheDefaultTagAndByReference) {
  const std::string mp3 = AddinFile("com_client_late.mp3");
  std::error_code ignored;
  fs::remove(mp3, ignored);
  ASSERT_TRUE(client_->InvokePut("fileName", mp3).ok());
  // The optional argument left out: the type library's default fills it in.
  const ComResult started = client_->InvokeMethod("recordMp3");
  ASSERT_TRUE(started.ok()) << Describe(started);
  PumpMessagesFor(kRecordingMs);
  const ComResult stopped = client_->InvokeMethod("recordMp3", "Late bound", Passing::kByReference);
  ASSERT_TRUE(stopped.ok()) << Describe(stopped);
  const std::string bytes = ReadFile(mp3);
  std::printf("MP3 of a %u ms recording: %zu bytes\n", kRecordingMs, bytes.size());
  EXPECT_NE(bytes.find("Late bound"), std::string::npos);
}

// An environment variable set for this process while it lives; this test program runs one
// test per process, so nothing else sees it.
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
    constexpr std::uint32_t kPathNotFound = 0x800A0000 + 76;
    EXPECT_EQ(created.hresult, kPathNotFound) << Describe(created);
    EXPECT_EQ(created.description, "Path not found");
    EXPECT_EQ(client, nullptr);
  }
  fs::remove(log, ignored);
}

TEST(ComTypeLibrary, PublishesTheRecorderAsDocumented) {
  win32::testing::TypeLibraryFacts facts;
  const ComResult loaded = win32::testing::DescribeTypeLibrary(AddinFile("voxtrel.dll"), facts);
  ASSERT_TRUE(loaded.ok()) << Describe(loaded);
  const auto ids = win32::testing::PublishedIds();
  EXPECT_EQ(facts.name, "Voxtrel");
  EXPECT_EQ(facts.helpString, "Voxtrel MP3 Voice Messages");
  EXPECT_EQ(facts.libid, ids.libid);
  EXPECT_EQ(facts.major, 1);
  EXPECT_EQ(facts.minor, 0);

  constexpr int kDispatch = 4;  // TKIND_DISPATCH
  constexpr int kCoclass = 5;   // TKIND_COCLASS
  constexpr std::uint16_t kHidden = 0x10, kDual = 0x40, kNonExtensible = 0x80,
                          kOleAutomation = 0x100, kCanCreate = 0x2;
  EXPECT_EQ(facts.dispatch.name, "_VoxtrelInst");
  EXPECT_EQ(facts.dispatch.guid, ids.defaultInterface);
  EXPECT_EQ(facts.dispatch.kind, kDispatch);
  const std::uint16_t interfaceFlags = kHidden | kDual | kNonExtensible;
  EXPECT_EQ(facts.dispatch.flags & interfaceFlags, interfaceFlags);
  // The vtable half carries [oleautomation].
  EXPECT_EQ(facts.vtable.flags & kOleAutomation, kOleAutomation);

  struct Expected {
    const char* name;
    std::int32_t memid;
    int invokeKind;
  };
  const std::vector<Expected> members = {{"fileName", 0x68030000, 4},
                                         {"fileName", 0x68030000, 2},
                                         {"recordMp3", 0x60030001, 1},
                                         {"playMp3", 0x60030002, 1},
                                         {"pauseMP3", 0x60030003, 1}};
  ASSERT_EQ(facts.vtable.functions.size(), members.size());
  for (std::size_t slot = 0; slot < members.size(); ++slot) {
    const auto& function = facts.vtable.functions[slot];
    SCOPED_TRACE(members[slot].name);
    EXPECT_EQ(function.name, members[slot].name);
    EXPECT_EQ(function.memid, members[slot].memid);
    EXPECT_EQ(function.invokeKind, members[slot].invokeKind);
    EXPECT_EQ(function.slot, static_cast<int>(slot) + 1);
  }

  constexpr std::uint16_t kPointer = 26, kBstr = 8;
  constexpr std::uint16_t kIn = 1, kOut = 2, kOptional = 0x10, kHasDefault = 0x20;
  const auto& tag = facts.vtable.functions[2].parameters;
  ASSERT_EQ(tag.size(), 1u);
  EXPECT_EQ(tag[0].type, kPointer);
  EXPECT_EQ(tag[0].pointee, kBstr);
  EXPECT_EQ(tag[0].flags, kIn | kOut | kOptional | kHasDefault);
  EXPECT_EQ(tag[0].defaultText, "Voxtrel Voice Message");

  EXPECT_EQ(facts.events.name, "__VoxtrelInst");
  EXPECT_EQ(facts.events.guid, ids.events);
  EXPECT_EQ(facts.events.kind, kDispatch);
  EXPECT_EQ(facts.events.flags & kHidden, kHidden);
  ASSERT_EQ(facts.events.functions.size(), 1u);
  EXPECT_EQ(facts.events.functions[0].name, "finishedPlaying");
  EXPECT_EQ(facts.events.functions[0].memid, 1);
  EXPECT_TRUE(facts.events.functions[0].parameters.empty());

  constexpr int kDefault = 1, kSource = 2;
  EXPECT_EQ(facts.coclass.name, "VoxtrelInst");
  EXPECT_EQ(facts.coclass.guid, ids.clsid);
  EXPECT_EQ(facts.coclass.kind, kCoclass);
  EXPECT_EQ(facts.coclass.flags & kCanCreate, kCanCreate);
  EXPECT_EQ(facts.coclass.implemented,
            (std::vector<std::string>{ids.defaultInterface, ids.events}));
  EXPECT_EQ(facts.coclass.implementedFlags, (std::vector<int>{kDefault, kDefault | kSource}));
}

// Leaves the server registered as it found it, so it may run in any order.
TEST(ComRegistration, UnregisterRemovesEveryKeyItWroteAndNothingElse) {
  const std::string dll = AddinFile("voxtrel.dll");
  const auto ids = win32::testing::PublishedIds();
  const std::string classKey = "HKCU\\Software\\Classes\\CLSID\\" + ids.clsid;
  const std::string progIdKey = "HKCU\\Software\\Classes\\Voxtrel.VoxtrelInst";

  const std::set<std::string> registered = win32::testing::SnapshotUserClasses();
  ASSERT_TRUE(registered.count(classKey)) << "not registered before the test";

  const auto unregistering = win32::testing::RunRegsvr32(dll, true);
  ASSERT_EQ(unregistering.exitCode, 0);
  const std::set<std::string> unregistered = win32::testing::SnapshotUserClasses();

  std::vector<std::string> removed;
  for (const std::string& line : registered) {
    if (!unregistered.count(line)) removed.push_back(line);
  }
  for (const std::string& line : unregistered) {
    EXPECT_TRUE(registered.count(line)) << "unregistration wrote " << line;
  }
  const std::set<std::string> expected = {
      classKey,
      classKey + "|=VoxtrelInst",
      classKey + "\\InprocServer32",
      classKey + "\\InprocServer32|=" + dll,
      classKey + "\\InprocServer32|ThreadingModel=Apartment",
      classKey + "\\ProgID",
      classKey + "\\ProgID|=Voxtrel.VoxtrelInst",
      classKey + "\\TypeLib",
      classKey + "\\TypeLib|=" + ids.libid,
      classKey + "\\Version",
      classKey + "\\Version|=1.0",
      progIdKey,
      progIdKey + "|=VoxtrelInst",
      progIdKey + "\\CLSID",
      progIdKey + "\\CLSID|=" + ids.clsid,
  };
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

  const auto registering = win32::testing::RunRegsvr32(dll, false);
  ASSERT_EQ(registering.exitCode, 0);
  EXPECT_EQ(win32::testing::SnapshotUserClasses(), registered);
  std::printf("regsvr32 /u took %llu ms, regsvr32 %llu ms\n",
              static_cast<unsigned long long>(unregistering.milliseconds),
              static_cast<unsigned long long>(registering.milliseconds));
}

}  // namespace
}  // namespace voxtrel
