// voxtrel.dll as a COM client meets it under Wine: created by its ProgID after regsvr32,
// called early bound and through IDispatch, heard through its connection point, and
// unregistered again. The harness feeds speech to the capture device, so recordings hold sound.
#include <gtest/gtest.h>
#include <windows.h>

#include <ocidl.h>
#include <process.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <set>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "voxtrel_idl.h"
#include "win32/base/text.h"
#include "win32/base/unique_handle.h"
#include "win32/com/com_object.h"
#include "win32/com/com_ptr.h"
#include "win32/com/unique_bstr.h"
#include "wine/support/com_registry.h"

namespace voxtrel {
namespace {

namespace fs = std::filesystem;
using win32::com::ComObject;
using win32::com::ComPtr;
using win32::com::UniqueBstr;
using win32::com::WithBases;

constexpr DWORD kRecordingMs = 3000;
constexpr DWORD kPlaybackPatienceMs = 20000;
constexpr char kTitle[] = "Vox Trel COM client";
constexpr char kOk[] = "0x00000000";

std::string ReadFile(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), {});
}

std::string AddinFile(const std::string& name) {
  return win32::testing::ProgramFolder() + "\\" + name;
}

std::string Hex(std::uint32_t value) {
  char text[16] = {};
  std::snprintf(text, sizeof(text), "0x%08X", static_cast<unsigned>(value));
  return text;
}

std::string GuidText(REFGUID guid) {
  wchar_t text[40] = {};
  StringFromGUID2(guid, text, static_cast<int>(std::size(text)));
  return win32::WideToUtf8(text);
}

// An early-bound call as a compiled client sees it: "0x800A03F4 source: description" from the
// thread's IErrorInfo, or the bare HRESULT.
std::string Outcome(HRESULT hr) {
  ComPtr<IErrorInfo> info;
  if (SUCCEEDED(hr) || GetErrorInfo(0, info.put()) != S_OK) return Hex(hr);
  UniqueBstr source;
  UniqueBstr description;
  info->GetSource(source.put());
  info->GetDescription(description.put());
  return Hex(hr) + " " + source.ToUtf8() + ": " + description.ToUtf8();
}

// A call by name without arguments as a script host makes it; a failure from its EXCEPINFO.
std::string InvokeByName(IDispatch& object, const wchar_t* name) {
  LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
  DISPID id = DISPID_UNKNOWN;
  HRESULT hr = object.GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
  DISPPARAMS none{};
  EXCEPINFO exception{};
  if (SUCCEEDED(hr)) {
    hr = object.Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &none, nullptr,
                       &exception, nullptr);
  }
  if (hr != DISP_E_EXCEPTION) return Hex(hr);
  if (exception.pfnDeferredFillIn != nullptr) exception.pfnDeferredFillIn(&exception);
  const UniqueBstr source(exception.bstrSource);
  const UniqueBstr description(exception.bstrDescription);
  const UniqueBstr help(exception.bstrHelpFile);
  return Hex(exception.scode) + " " + source.ToUtf8() + ": " + description.ToUtf8();
}

// Runs the thread's messages until `done` or until `ms` passed; returns done().
bool PumpUntil(const std::function<bool()>& done, ULONGLONG ms) {
  for (const ULONGLONG end = GetTickCount64() + ms;;) {
    MSG message{};
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    if (done() || GetTickCount64() >= end) return done();
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
  }
}

void PumpFor(ULONGLONG ms) {
  PumpUntil([] { return false; }, ms);
}

// A script's event sink: counts finishedPlaying and runs `onFinished` once, at the next one.
class Sink final : public ComObject<Sink, WithBases<__VoxtrelInst, IDispatch>> {
 public:
  int finished = 0;
  std::function<void()> onFinished;

  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* parameters, VARIANT*,
                                   EXCEPINFO*, UINT*) override {
    if (id != 1 || parameters == nullptr || parameters->cArgs != 0) return DISP_E_MEMBERNOTFOUND;
    ++finished;
    if (onFinished) std::exchange(onFinished, nullptr)();
    return S_OK;
  }
};

// Created as scripts create it: ProgID to CLSID, then CoCreateInstance.
std::string Create(ComPtr<_VoxtrelInst>& recorder) {
  CLSID clsid{};
  const HRESULT hr = CLSIDFromProgID(L"Voxtrel.VoxtrelInst", &clsid);
  if (FAILED(hr)) return Hex(hr) + " CLSIDFromProgID";
  return Outcome(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID__VoxtrelInst,
                                  recorder.put_void()));
}

std::string SetFileName(_VoxtrelInst& recorder, const std::string& path) {
  return Outcome(recorder.put_fileName(UniqueBstr::FromUtf8(path).get()));
}

std::string FileName(_VoxtrelInst& recorder) {
  UniqueBstr name;
  EXPECT_EQ(Outcome(recorder.get_fileName(name.put())), kOk);
  return name.ToUtf8();
}

// Without a tag, the optional argument left out (a null pointer).
std::string RecordMp3(_VoxtrelInst& recorder, const char* tag = nullptr) {
  if (tag == nullptr) return Outcome(recorder.recordMp3(nullptr));
  UniqueBstr text = UniqueBstr::FromUtf8(tag);
  BSTR value = text.get();
  const std::string outcome = Outcome(recorder.recordMp3(&value));
  // [in, out]: a callee that replaced the string gave the new one to the caller.
  if (value != text.get()) text.reset(value);
  return outcome;
}

// This process's working folders of audio objects in the temporary folder.
std::set<fs::path> WorkingFolders() {
  const std::wstring prefix = L"Voxtrel " + std::to_wstring(GetCurrentProcessId()) + L"-";
  std::set<fs::path> folders;
  for (const auto& entry : fs::directory_iterator(fs::temp_directory_path())) {
    if (entry.path().filename().wstring().starts_with(prefix)) folders.insert(entry.path());
  }
  return folders;
}

// The thread in a single-threaded apartment while it lives.
struct Apartment {
  Apartment() { EXPECT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))); }
  ~Apartment() { CoUninitialize(); }
};

class ComClient : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(Create(recorder_), kOk) << "is voxtrel.dll registered? see com.register";
  }

  // Records from the fed capture device into `mp3`: start, a pumped wait, stop and encode.
  void Record(const std::string& mp3, DWORD milliseconds = kRecordingMs) {
    std::error_code ignored;
    fs::remove(mp3, ignored);
    ASSERT_EQ(SetFileName(*recorder_.get(), mp3), kOk);
    ASSERT_EQ(RecordMp3(*recorder_.get()), kOk);
    PumpFor(milliseconds);
    ASSERT_EQ(RecordMp3(*recorder_.get(), kTitle), kOk);
  }

  void Advise() {
    const auto container = recorder_.Query<IConnectionPointContainer>();
    ASSERT_TRUE(container);
    ASSERT_EQ(container->FindConnectionPoint(DIID___VoxtrelInst, point_.put()), S_OK);
    ASSERT_EQ(point_->Advise(static_cast<IDispatch*>(sink_.get()), &cookie_), S_OK);
  }
  void Unadvise() { EXPECT_EQ(point_->Unadvise(std::exchange(cookie_, 0)), S_OK); }

  // "{events}: N connections" for each connection point.
  std::string ConnectionPoints() {
    std::string lines;
    ComPtr<IEnumConnectionPoints> points;
    recorder_.Query<IConnectionPointContainer>()->EnumConnectionPoints(points.put());
    for (ComPtr<IConnectionPoint> point; points->Next(1, point.put(), nullptr) == S_OK;) {
      IID events{};
      point->GetConnectionInterface(&events);
      ComPtr<IEnumConnections> connections;
      point->EnumConnections(connections.put());
      int count = 0;
      for (CONNECTDATA data{}; connections->Next(1, &data, nullptr) == S_OK; ++count) {
        data.pUnk->Release();
      }
      lines += GuidText(events) + ": " + std::to_string(count) + " connections\n";
    }
    return lines;
  }

  // Declared first: the apartment ends after every object.
  Apartment apartment_;
  ComPtr<_VoxtrelInst> recorder_;
  ComPtr<Sink> sink_ = Sink::Make();
  ComPtr<IConnectionPoint> point_;
  DWORD cookie_ = 0;
};

// Late-bound calls are the VBScript session's (tests/wine/vbscript).
TEST_F(ComClient, AnswersItsInterfacesFileNameAndErrorsAndOffersOneConnectionPoint) {
  for (const IID& iid : {IID__VoxtrelInst, IID_IDispatch, IID_IConnectionPointContainer,
                         IID_IProvideClassInfo2, IID_ISupportErrorInfo}) {
    EXPECT_TRUE(recorder_.Query(iid)) << GuidText(iid);
  }
  EXPECT_FALSE(recorder_.Query(DIID___VoxtrelInst));
  EXPECT_EQ(recorder_.Query<ISupportErrorInfo>()->InterfaceSupportsErrorInfo(IID__VoxtrelInst),
            S_OK);
  GUID source{};
  ASSERT_EQ(
      recorder_.Query<IProvideClassInfo2>()->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &source),
      S_OK);
  const std::string events = GuidText(DIID___VoxtrelInst);
  EXPECT_EQ(GuidText(source), events);
  EXPECT_EQ(ConnectionPoints(), events + ": 0 connections\n");
  Advise();
  EXPECT_EQ(ConnectionPoints(), events + ": 1 connections\n");
  Unadvise();
  EXPECT_EQ(ConnectionPoints(), events + ": 0 connections\n");

  EXPECT_EQ(FileName(*recorder_.get()), AddinFile("Voxtrel.mp3"));
  const std::string path =
      "C:\\Voice mail\\Nachricht f\xC3\xBCr Gr\xC3\xBC\xC3\x9F"
      "e.mp3";
  ASSERT_EQ(SetFileName(*recorder_.get(), path), kOk);
  EXPECT_EQ(FileName(*recorder_.get()), path);
  // Early bound from IErrorInfo; late bound from the EXCEPINFO a script host reads into Err.
  for (const std::string& outcome :
       {Outcome(recorder_->playMp3()), InvokeByName(*recorder_.get(), L"playMp3")}) {
    EXPECT_EQ(outcome, "0x800A03F4 VoxtrelInst.playMP3: There is no file to play back.");
  }
}

// A script's event handler may drop the object ("Set recorder = Nothing") while the core is
// still raising the event: the object ends, the core only once its call has returned.
TEST_F(ComClient, RecordsAnMp3AndRaisesFinishedPlayingOncePerPlaybackToAHandlerThatMayLetGo) {
  const std::string mp3 = AddinFile("com_client_test.mp3");
  Record(mp3);
  const std::string bytes = ReadFile(mp3);
  std::printf("MP3 of a %lu ms recording: %zu bytes\n", kRecordingMs, bytes.size());
  EXPECT_TRUE(bytes.starts_with("ID3")) << mp3;
  EXPECT_NE(bytes.find(kTitle), std::string::npos) << "the tag text is the MP3's title";

  Advise();
  // To its end: one event.
  ASSERT_EQ(Outcome(recorder_->playMp3()), kOk);
  EXPECT_TRUE(PumpUntil([&] { return sink_->finished > 0; }, kPlaybackPatienceMs))
      << "finishedPlaying never came";
  PumpFor(1000);
  EXPECT_EQ(sink_->finished, 1);

  // Stopped by a second playMp3: one more.
  // A short pump: the recording may hold less than its 3 s when Wine's capture lagged.
  ASSERT_EQ(Outcome(recorder_->playMp3()), kOk);
  PumpFor(200);
  EXPECT_EQ(sink_->finished, 1) << "ended before it was stopped";
  ASSERT_EQ(Outcome(recorder_->playMp3()), kOk);
  PumpFor(1500);
  EXPECT_EQ(sink_->finished, 2);

  sink_->onFinished = [this] {
    point_->Unadvise(std::exchange(cookie_, 0));
    point_.reset();
    recorder_.reset();
  };
  ASSERT_EQ(Outcome(recorder_->playMp3()), kOk);
  EXPECT_TRUE(PumpUntil([&] { return !recorder_; }, kPlaybackPatienceMs));
  PumpFor(500);
  EXPECT_EQ(sink_->finished, 3);

  const std::string log = ReadFile("c:\\debug.log");
  EXPECT_TRUE(log.starts_with("TraceWrite c:\\debug.log, ")) << log;
  for (const char* step : {"Audio Created!", "Audio.Record: Init", "Audio.Record: Saved Temp.Wav",
                           "Audio.Record: Make MP3 (SaveWaveFile)"}) {
    EXPECT_NE(log.find(std::string(step) + "\r\n"), std::string::npos) << step << "\n" << log;
  }
  // The thread goes on serving new objects.
  ASSERT_EQ(Create(recorder_), kOk);
  EXPECT_EQ(FileName(*recorder_.get()), AddinFile("Voxtrel.mp3"));
}

// Two recorders of one script at the same time: each records in a working folder of its own,
// so each MP3 holds its own recording. How much audio Wine's real-time capture delivers is
// printed; only which recording is the longer one is checked (the encoder's bit rate is
// constant, so the longer recording makes the larger file).
TEST_F(ComClient, TwoRecordersAtOnceEachMakeAnMp3OfTheirOwn) {
  const std::set<fs::path> before = WorkingFolders();
  ComPtr<_VoxtrelInst> other;
  ASSERT_EQ(Create(other), kOk);
  const std::string longer = AddinFile("com_client_longer.mp3");
  const std::string shorter = AddinFile("com_client_shorter.mp3");
  std::error_code ignored;
  fs::remove(longer, ignored);
  fs::remove(shorter, ignored);
  ASSERT_EQ(SetFileName(*recorder_.get(), longer), kOk);
  ASSERT_EQ(SetFileName(*other.get(), shorter), kOk);
  ASSERT_EQ(RecordMp3(*recorder_.get()), kOk);
  PumpFor(1000);
  ASSERT_EQ(RecordMp3(*other.get()), kOk);
  EXPECT_EQ(WorkingFolders().size(), before.size() + 2);
  PumpFor(1000);
  ASSERT_EQ(RecordMp3(*other.get(), "shorter"), kOk);
  PumpFor(2000);
  ASSERT_EQ(RecordMp3(*recorder_.get(), "longer"), kOk);

  const std::string shortMp3 = ReadFile(shorter);
  const std::string longMp3 = ReadFile(longer);
  std::printf("Two recordings at once: MP3s of %zu and %zu bytes\n", shortMp3.size(),
              longMp3.size());
  EXPECT_NE(shortMp3.find("shorter"), std::string::npos);
  EXPECT_NE(longMp3.find("longer"), std::string::npos);
  EXPECT_GT(longMp3.size(), shortMp3.size());
  other.reset();
  recorder_.reset();
  EXPECT_TRUE(PumpUntil([&] { return WorkingFolders() == before; }, 5000))
      << "working folders left behind";
}

// Run as com.no_capture, without a sound server: a recording that cannot start is an error.
TEST_F(ComClient, WithoutACaptureDeviceRecordMp3FailsWith1011) {
  if (std::getenv("VOXTREL_WINE_NO_AUDIO") == nullptr) {
    GTEST_SKIP() << "runs as com.no_capture, with VOXTREL_WINE_NO_AUDIO=1";
  }
  ASSERT_EQ(SetFileName(*recorder_.get(), AddinFile("com_client_no_capture.mp3")), kOk);
  for (const std::string& outcome :
       {RecordMp3(*recorder_.get()), InvokeByName(*recorder_.get(), L"recordMp3")}) {
    EXPECT_EQ(outcome,
              "0x800A03F3 VoxtrelInst.recordMp3: No wave input device is available for "
              "recording.");
  }
}

TEST(ComCreation, FailsWithTheFileErrorWhenNoTraceLogCanBeMade) {
  // A folder where the log should be, and a temporary folder that does not exist for the
  // fallback log: no log at all.
  const fs::path log = "c:\\debug.log";
  std::error_code ignored;
  fs::remove(log, ignored);
  ASSERT_TRUE(fs::create_directory(log));
  const std::string tmp = std::getenv("TMP");
  const std::string temp = std::getenv("TEMP");
  _putenv_s("TMP", "C:\\no such folder");
  _putenv_s("TEMP", "C:\\no such folder");
  {
    const Apartment apartment;
    ComPtr<_VoxtrelInst> recorder;
    EXPECT_EQ(Create(recorder), "0x800A004C Voxtrel: Path not found");  // error 76
    EXPECT_FALSE(recorder);
  }
  _putenv_s("TMP", tmp.c_str());
  _putenv_s("TEMP", temp.c_str());
  fs::remove(log, ignored);
}

// "_VoxtrelInst kind 4 {...} flags 0x000010D0", then a line for each member, as
// "  recordMp3 0x60030001 func slot 3 (26->8 flags 0x00000033 = Voxtrel Voice Message)", or
// for each type it implements.
void DescribeType(ITypeInfo& info, std::vector<std::string>& lines) {
  TYPEATTR* type = nullptr;
  ASSERT_EQ(info.GetTypeAttr(&type), S_OK);
  UniqueBstr name;
  info.GetDocumentation(MEMBERID_NIL, name.put(), nullptr, nullptr, nullptr);
  lines.push_back(name.ToUtf8() + " kind " + std::to_string(type->typekind) + " " +
                  GuidText(type->guid) + " flags " + Hex(type->wTypeFlags));
  // A dual interface's dispatch half lists IDispatch's methods too: its vtable half follows.
  const bool dual = type->typekind == TKIND_DISPATCH && (type->wTypeFlags & TYPEFLAG_FDUAL) != 0;
  HREFTYPE reference = 0;
  ComPtr<ITypeInfo> other;
  if (dual && info.GetRefTypeOfImplType(static_cast<UINT>(-1), &reference) == S_OK &&
      info.GetRefTypeInfo(reference, other.put()) == S_OK) {
    DescribeType(*other.get(), lines);
  }
  for (UINT index = 0; !dual && index < type->cFuncs; ++index) {
    FUNCDESC* function = nullptr;
    info.GetFuncDesc(index, &function);
    info.GetDocumentation(function->memid, name.put(), nullptr, nullptr, nullptr);
    std::string line = "  " + name.ToUtf8() + " " + Hex(function->memid) + " " +
                       (function->invkind == INVOKE_FUNC          ? "func"
                        : function->invkind == INVOKE_PROPERTYGET ? "get"
                                                                  : "put");
    // Slots counted after IUnknown's three methods and IDispatch's four.
    if (function->funckind != FUNC_DISPATCH) {
      line += " slot " + std::to_string(function->oVft / static_cast<int>(sizeof(void*)) - 6);
    }
    for (const ELEMDESC& parameter :
         std::span(function->lprgelemdescParam, static_cast<std::size_t>(function->cParams))) {
      const PARAMDESC& description = parameter.paramdesc;
      line += " (" + std::to_string(parameter.tdesc.vt);
      if (parameter.tdesc.vt == VT_PTR) line += "->" + std::to_string(parameter.tdesc.lptdesc->vt);
      line += " flags " + Hex(description.wParamFlags);
      if ((description.wParamFlags & PARAMFLAG_FHASDEFAULT) != 0 &&
          V_VT(&description.pparamdescex->varDefaultValue) == VT_BSTR) {
        line += " = " + UniqueBstr::ToUtf8(V_BSTR(&description.pparamdescex->varDefaultValue));
      }
      line += ")";
    }
    lines.push_back(line);
    info.ReleaseFuncDesc(function);
  }
  for (UINT index = 0; type->typekind == TKIND_COCLASS && index < type->cImplTypes; ++index) {
    INT flags = 0;
    TYPEATTR* implemented = nullptr;
    info.GetImplTypeFlags(index, &flags);
    info.GetRefTypeOfImplType(index, &reference);
    info.GetRefTypeInfo(reference, other.put());
    other->GetTypeAttr(&implemented);
    lines.push_back("  implements " + GuidText(implemented->guid) + " flags " +
                    std::to_string(flags));
    other->ReleaseTypeAttr(implemented);
  }
  info.ReleaseTypeAttr(type);
}

// Scripts call by name and dispatch id, compiled clients by slot; the tag is a BSTR* with a
// default, which widl cannot write and the build mends.
TEST(ComTypeLibrary, PublishesTheRecorderAsDocumented) {
  ComPtr<ITypeLib> library;
  ASSERT_EQ(LoadTypeLibEx(win32::Utf8ToWide(AddinFile("voxtrel.dll")).c_str(), REGKIND_NONE,
                          library.put()),
            S_OK);
  UniqueBstr name;
  UniqueBstr help;
  library->GetDocumentation(-1, name.put(), help.put(), nullptr, nullptr);
  TLIBATTR* attributes = nullptr;
  ASSERT_EQ(library->GetLibAttr(&attributes), S_OK);
  std::vector<std::string> lines = {name.ToUtf8() + " " + std::to_string(attributes->wMajorVerNum) +
                                    "." + std::to_string(attributes->wMinorVerNum) + " " +
                                    GuidText(attributes->guid) + " " + help.ToUtf8()};
  library->ReleaseTLibAttr(attributes);
  for (UINT index = 0; index < library->GetTypeInfoCount(); ++index) {
    ComPtr<ITypeInfo> info;
    ASSERT_EQ(library->GetTypeInfo(index, info.put()), S_OK);
    DescribeType(*info.get(), lines);
  }
  const std::string vtable = GuidText(IID__VoxtrelInst);
  const std::string events = GuidText(DIID___VoxtrelInst);
  // Flags: hidden 0x10, dual 0x40, nonextensible 0x80, oleautomation 0x100, dispatchable
  // 0x1000, can create 0x2; parameters in 1, out 2, retval 8, optional 0x10, default 0x20.
  EXPECT_EQ(lines, (std::vector<std::string>{
                       "Voxtrel 1.0 " + GuidText(LIBID_Voxtrel) + " Voxtrel MP3 Voice Messages",
                       "_VoxtrelInst kind 4 " + vtable + " flags 0x000010D0",
                       "_VoxtrelInst kind 3 " + vtable + " flags 0x000011D0",
                       "  fileName 0x68030000 put slot 1 (8 flags 0x00000001)",
                       "  fileName 0x68030000 get slot 2 (26->8 flags 0x0000000A)",
                       "  recordMp3 0x60030001 func slot 3 (26->8 flags 0x00000033 = Voxtrel Voice "
                       "Message)",
                       "  playMp3 0x60030002 func slot 4", "  pauseMP3 0x60030003 func slot 5",
                       "__VoxtrelInst kind 4 " + events + " flags 0x00001010",
                       "  finishedPlaying 0x00000001 func",
                       "VoxtrelInst kind 5 " + GuidText(CLSID_VoxtrelInst) + " flags 0x00000002",
                       "  implements " + vtable + " flags 1",     // default
                       "  implements " + events + " flags 3"}));  // default source
}

constexpr wchar_t kSettings[] = L"Software\\Microsoft\\Office\\Outlook\\Addins\\Voxtrel.MailWindow";
constexpr char kAddins[] = "Software\\Microsoft\\Office\\Outlook\\Addins";
constexpr char kConnectClsid[] = "{52DE24F7-78C8-4EFD-B326-6BE50CDB2FCB}";

// A user's setting held while it lives, then put back as it was.
class ScopedUserSetting {
 public:
  ScopedUserSetting(const wchar_t* name, const wchar_t* value) : name_(name) {
    DWORD size = sizeof(old_);
    held_ = RegGetValueW(HKEY_CURRENT_USER, kSettings, name, RRF_RT_REG_SZ, nullptr, old_, &size) ==
            ERROR_SUCCESS;
    Set(value);
  }
  ~ScopedUserSetting() {
    if (held_) {
      Set(old_);
    } else {
      RegDeleteKeyValueW(HKEY_CURRENT_USER, kSettings, name_);
    }
  }
  ScopedUserSetting(const ScopedUserSetting&) = delete;
  ScopedUserSetting& operator=(const ScopedUserSetting&) = delete;

 private:
  void Set(const wchar_t* value) {
    RegSetKeyValueW(HKEY_CURRENT_USER, kSettings, name_, REG_SZ, value,
                    static_cast<DWORD>((wcslen(value) + 1) * sizeof(wchar_t)));
  }

  const wchar_t* name_;
  wchar_t old_[256] = {};
  bool held_ = false;
};

// A value's data as text: strings as they are, numbers as "dword N", else type and size.
std::string DataText(DWORD type, const std::vector<BYTE>& data) {
  if (type == REG_SZ || type == REG_EXPAND_SZ) {
    std::wstring text(reinterpret_cast<const wchar_t*>(data.data()), data.size() / sizeof(wchar_t));
    while (!text.empty() && text.back() == L'\0') text.pop_back();
    return win32::WideToUtf8(text);
  }
  if (type == REG_DWORD && data.size() == sizeof(DWORD)) {
    return "dword " + std::to_string(*reinterpret_cast<const DWORD*>(data.data()));
  }
  return "type " + std::to_string(type) + ", " + std::to_string(data.size()) + " bytes";
}

// Every key below `relative` and every value, one line each: "key" and "key|name=data".
void Snapshot(HKEY parent, const std::wstring& relative, const std::string& path,
              std::set<std::string>& lines) {
  win32::UniqueHkey key;
  if (RegOpenKeyExW(parent, relative.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS) return;
  lines.insert(path);
  DWORD keys = 0, longestKey = 0, values = 0, longestName = 0, largest = 0;
  RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, &keys, &longestKey, nullptr, &values,
                   &longestName, &largest, nullptr, nullptr);
  for (DWORD index = 0; index < values; ++index) {
    std::wstring name(longestName + 1, L'\0');
    std::vector<BYTE> data(largest);
    DWORD nameLength = longestName + 1, type = 0, size = largest;
    RegEnumValueW(key.get(), index, name.data(), &nameLength, nullptr, &type, data.data(), &size);
    data.resize(size);
    lines.insert(path + "|" + win32::WideToUtf8(name.substr(0, nameLength)) + "=" +
                 DataText(type, data));
  }
  for (DWORD index = 0; index < keys; ++index) {
    std::wstring name(longestKey + 1, L'\0');
    DWORD length = longestKey + 1;
    RegEnumKeyExW(key.get(), index, name.data(), &length, nullptr, nullptr, nullptr, nullptr);
    name.resize(length);
    Snapshot(key.get(), name, path + "\\" + win32::WideToUtf8(name), lines);
  }
}

// The user's classes and Outlook's add-in entries.
std::set<std::string> SnapshotRegistration() {
  std::set<std::string> lines;
  Snapshot(HKEY_CURRENT_USER, L"Software\\Classes", "HKCU\\Software\\Classes", lines);
  Snapshot(HKEY_CURRENT_USER, win32::Utf8ToWide(kAddins), "HKCU\\" + std::string(kAddins), lines);
  return lines;
}

// regsvr32 /s [/u] as an installer runs it; its exit code.
int Regsvr32(const std::string& dll, bool unregister) {
  const std::string quoted = "\"" + dll + "\"";
  std::fflush(nullptr);
  return static_cast<int>(
      unregister
          ? _spawnlp(_P_WAIT, "regsvr32.exe", "regsvr32", "/s", "/u", quoted.c_str(), nullptr)
          : _spawnlp(_P_WAIT, "regsvr32.exe", "regsvr32", "/s", quoted.c_str(), nullptr));
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
  const std::string clsid = GuidText(CLSID_VoxtrelInst);
  const std::string libid = GuidText(LIBID_Voxtrel);
  const std::string classKey = "HKCU\\Software\\Classes\\CLSID\\" + clsid;
  const std::string addinKey = "HKCU\\" + std::string(kAddins) + "\\Voxtrel.Connect";
  const std::string settingsKey = "HKCU\\" + win32::WideToUtf8(kSettings);
  const ScopedUserSetting quality(L"AQ", L"1");
  const ScopedUserSetting tagLine(L"TagLine", L"0");

  const std::set<std::string> registered = SnapshotRegistration();
  ASSERT_TRUE(registered.count(classKey)) << "not registered before the test";

  ASSERT_EQ(Regsvr32(dll, true), 0);
  const std::set<std::string> unregistered = SnapshotRegistration();

  std::set<std::string> expected = ClassLines(clsid, "Voxtrel.VoxtrelInst", "VoxtrelInst", dll);
  expected.merge(ClassLines(kConnectClsid, "Voxtrel.Connect", "Connect", dll));
  expected.merge(std::set<std::string>{
      classKey + "\\TypeLib", classKey + "\\TypeLib|=" + libid, classKey + "\\Version",
      classKey + "\\Version|=1.0", addinKey, addinKey + "|FriendlyName=Voxtrel",
      addinKey + "|Description=MP3 Voice Email Add-in", addinKey + "|LoadBehavior=dword 3"});
  for (const std::string& line : unregistered) {
    EXPECT_TRUE(registered.count(line)) << "unregistration wrote " << line;
  }
  // Windows' RegisterTypeLibForUser adds its TypeLib and Interface keys below HKCU too; Wine
  // writes them under HKLM.
  for (const std::string& line : registered) {
    const bool typeLibrary = line.find("\\TypeLib\\" + libid) != std::string::npos ||
                             line.find("\\Interface\\") != std::string::npos;
    const bool removed = !unregistered.count(line);
    EXPECT_TRUE(!removed || expected.count(line) || typeLibrary) << "removed " << line;
  }
  for (const std::string& line : expected) {
    EXPECT_FALSE(unregistered.count(line)) << "left behind: " << line;
  }
  for (const char* setting : {"|AQ=1", "|TagLine=0"}) {
    EXPECT_TRUE(unregistered.count(settingsKey + setting)) << "removed the user's " << setting;
  }

  ASSERT_EQ(Regsvr32(dll, false), 0);
  EXPECT_EQ(SnapshotRegistration(), registered);
}

}  // namespace
}  // namespace voxtrel
