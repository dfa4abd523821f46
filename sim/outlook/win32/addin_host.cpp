#include "sim/outlook/win32/addin_host.h"

#include <windows.h>

#include <oleauto.h>

#include <algorithm>
#include <cstdio>
#include <ostream>
#include <utility>

#include "common/error.h"
#include "sim/outlook/win32/addin_error.h"
#include "sim/outlook/win32/idt_extensibility2.h"
#include "sim/outlook/win32/ribbon_client.h"
#include "sim/outlook/win32/timings.h"
#include "win32/base/text.h"
#include "win32/base/unique_handle.h"
#include "win32/com/dispatch_arguments.h"

namespace voxtrel::olsim::win32 {
namespace {

using voxtrel::win32::UniqueHkey;
using voxtrel::win32::com::DispatchArguments;
using voxtrel::win32::com::ExcepInfo;
using voxtrel::win32::com::InvokeDispatch;
using voxtrel::win32::com::UniqueVariant;

constexpr wchar_t kAddinsKey[] = L"Software\\Microsoft\\Office\\Outlook\\Addins";
constexpr DWORD kLoadAtStartup = 3;

// What Outlook hands as `custom`: an empty array of variants.
class EmptyCustom {
 public:
  EmptyCustom() : array_(SafeArrayCreateVector(VT_VARIANT, 0, 0)) {}
  ~EmptyCustom() { SafeArrayDestroy(array_); }
  EmptyCustom(const EmptyCustom&) = delete;
  EmptyCustom& operator=(const EmptyCustom&) = delete;
  SAFEARRAY** get() { return &array_; }

 private:
  SAFEARRAY* array_;
};

// An add-in's entry for Outlook: its ProgID and the hive that holds it.
struct AddInEntry {
  HKEY hive;
  std::wstring progId;
};

bool SameName(const std::wstring& a, const std::wstring& b) {
  return CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

// Every key under the hive's Addins key that has a LoadBehavior, with it.
std::vector<std::pair<AddInEntry, DWORD>> EntriesOf(HKEY hive) {
  std::vector<std::pair<AddInEntry, DWORD>> entries;
  UniqueHkey addins;
  if (RegOpenKeyExW(hive, kAddinsKey, 0, KEY_READ, addins.put()) != ERROR_SUCCESS) return entries;
  wchar_t name[256];
  for (DWORD i = 0;; ++i) {
    DWORD length = static_cast<DWORD>(std::size(name));
    if (RegEnumKeyExW(addins.get(), i, name, &length, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS) {
      break;
    }
    DWORD behavior = 0;
    DWORD size = sizeof behavior;
    if (RegGetValueW(addins.get(), name, L"LoadBehavior", RRF_RT_REG_DWORD, nullptr, &behavior,
                     &size) == ERROR_SUCCESS) {
      entries.push_back({{hive, name}, behavior});
    }
  }
  return entries;
}

// As Outlook: the user's entries, then the machine's (an administrator's install for all
// users); a user's entry for an add-in wins over the machine's, whatever its LoadBehavior.
std::vector<AddInEntry> StartupEntries() {
  std::vector<std::pair<AddInEntry, DWORD>> chosen = EntriesOf(HKEY_CURRENT_USER);
  for (auto& machine : EntriesOf(HKEY_LOCAL_MACHINE)) {
    const bool shadowed = std::any_of(chosen.begin(), chosen.end(), [&](const auto& user) {
      return SameName(user.first.progId, machine.first.progId);
    });
    if (!shadowed) chosen.push_back(std::move(machine));
  }
  std::vector<AddInEntry> startup;
  for (auto& [entry, behavior] : chosen) {
    if (behavior == kLoadAtStartup) startup.push_back(std::move(entry));
  }
  return startup;
}

// The folder of the class's in-process server.
std::string ServerFolder(const CLSID& clsid) {
  wchar_t guid[64];
  StringFromGUID2(clsid, guid, static_cast<int>(std::size(guid)));
  const std::wstring key = std::wstring(L"CLSID\\") + guid + L"\\InprocServer32";
  wchar_t path[MAX_PATH];
  DWORD size = sizeof path;
  if (RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, path, &size) !=
      ERROR_SUCCESS) {
    return {};
  }
  std::wstring folder(path);
  folder.erase(std::min(folder.size(), folder.find_last_of(L"\\/")));
  return voxtrel::win32::WideToUtf8(folder);
}

// Outlook 2010 and later tell an add-in of their shutdown only when its entry asks for it.
bool EntryRequiresShutdownNotification(const AddInEntry& entry) {
  const std::wstring key = std::wstring(kAddinsKey) + L"\\" + entry.progId;
  DWORD value = 0;
  DWORD size = sizeof value;
  return RegGetValueW(entry.hive, key.c_str(), L"RequireShutdownNotification", RRF_RT_REG_DWORD,
                      nullptr, &value, &size) == ERROR_SUCCESS &&
         value == 1;
}

class LoadedAddIn {
 public:
  LoadedAddIn(ComPtr<IUnknown> object, bool throughInvoke, AddInEntry entry)
      : object_(std::move(object)), throughInvoke_(throughInvoke), entry_(std::move(entry)) {
    if (throughInvoke_) {
      dispatch_ = object_.Query<IDispatch>();
    } else {
      object_->QueryInterface(kIidDTExtensibility2, vtable_.put_void());
    }
  }
  bool usable() const { return throughInvoke_ ? bool(dispatch_) : bool(vtable_); }
  IUnknown& object() const { return *object_.get(); }
  bool throughInvoke() const { return throughInvoke_; }
  const AddInEntry& entry() const { return entry_; }

  void OnConnection(IDispatch* application) {
    EmptyCustom custom;
    if (!throughInvoke_) {
      Check(vtable_->OnConnection(application, kConnectStartup, nullptr, custom.get()));
      return;
    }
    DispatchArguments arguments(
        UniqueVariant::Dispatch(application), UniqueVariant::Int(kConnectStartup),
        UniqueVariant::Dispatch(nullptr), UniqueVariant::VariantArrayRef(custom.get()));
    Invoke(kOnConnection, arguments);
  }
  void OnDisconnection() {
    EmptyCustom custom;
    if (!throughInvoke_) {
      Check(vtable_->OnDisconnection(kDisconnectHostShutdown, custom.get()));
      return;
    }
    DispatchArguments arguments(UniqueVariant::Int(kDisconnectHostShutdown),
                                UniqueVariant::VariantArrayRef(custom.get()));
    Invoke(kOnDisconnection, arguments);
  }
  void OnStartupComplete() {
    CustomOnly(kOnStartupComplete, &IDTExtensibility2::OnStartupComplete);
  }
  void OnBeginShutdown() { CustomOnly(kOnBeginShutdown, &IDTExtensibility2::OnBeginShutdown); }

 private:
  void CustomOnly(DISPID id, HRESULT (STDMETHODCALLTYPE IDTExtensibility2::*method)(SAFEARRAY**)) {
    EmptyCustom custom;
    if (!throughInvoke_) {
      Check((vtable_.get()->*method)(custom.get()));
      return;
    }
    DispatchArguments arguments(UniqueVariant::VariantArrayRef(custom.get()));
    Invoke(id, arguments);
  }

  void Invoke(DISPID id, DispatchArguments& arguments) {
    ExcepInfo exception;
    const HRESULT hr =
        InvokeDispatch(*dispatch_.get(), id, DISPATCH_METHOD, arguments, nullptr, exception);
    if (FAILED(hr)) throw AddInError(hr, &exception);
  }

  static void Check(HRESULT hr) {
    if (FAILED(hr)) throw AddInError(hr);
  }

  ComPtr<IUnknown> object_;
  bool throughInvoke_;
  AddInEntry entry_;
  ComPtr<IDTExtensibility2> vtable_;
  ComPtr<IDispatch> dispatch_;
};

class AddIns final : public AddIn {
 public:
  AddIns(const Face& face, std::vector<std::unique_ptr<LoadedAddIn>> addIns)
      : face_(face),
        addIns_(std::move(addIns)),
        // The Ribbon of the first add-in that offers one.
        ribbon_(FirstRibbon(face, addIns_)) {}
  ~AddIns() override {
    ribbon_.reset();
    face_.timings->Time("final release", [&] { addIns_.clear(); });
  }
  RibbonAddIn* Ribbon() override { return ribbon_.get(); }

  void OnConnection() override {
    const std::shared_ptr<Model> model = face_.model.lock();
    for (auto& addIn : addIns_) {
      // Ours is released once the call returns: what the add-in keeps, it holds itself.
      const ComPtr<IDispatch> application =
          MakeObject(face_, Kind::kApplication, model->ApplicationId());
      face_.timings->Time("OnConnection", [&] { addIn->OnConnection(application.get()); });
    }
  }
  void OnStartupComplete() override { Each("OnStartupComplete", &LoadedAddIn::OnStartupComplete); }
  void OnBeginShutdown() override { Each("OnBeginShutdown", &LoadedAddIn::OnBeginShutdown); }
  void OnDisconnection() override { Each("OnDisconnection", &LoadedAddIn::OnDisconnection); }
  bool RequiresShutdownNotification() override {
    return std::all_of(addIns_.begin(), addIns_.end(), [](const auto& addIn) {
      return EntryRequiresShutdownNotification(addIn->entry());
    });
  }

 private:
  void Each(const char* what, void (LoadedAddIn::*call)()) {
    for (auto& addIn : addIns_) face_.timings->Time(what, [&] { ((*addIn).*call)(); });
  }

  static std::unique_ptr<RibbonAddIn> FirstRibbon(
      const Face& face, const std::vector<std::unique_ptr<LoadedAddIn>>& addIns) {
    for (const auto& addIn : addIns) {
      if (auto ribbon = MakeRibbonClient(face, addIn->object(), addIn->throughInvoke())) {
        return ribbon;
      }
    }
    return nullptr;
  }

  Face face_;
  std::vector<std::unique_ptr<LoadedAddIn>> addIns_;
  std::unique_ptr<RibbonAddIn> ribbon_;
};

}  // namespace

std::unique_ptr<AddIn> LoadAddIns(const Face& face, bool throughInvoke,
                                  std::vector<std::string>& folders, std::ostream& err) {
  std::vector<std::unique_ptr<LoadedAddIn>> addIns;
  for (const AddInEntry& entry : StartupEntries()) {
    const std::wstring& progId = entry.progId;
    const std::string name = voxtrel::win32::WideToUtf8(progId);
    CLSID clsid;
    ComPtr<IUnknown> object;
    HRESULT hr = CLSIDFromProgID(progId.c_str(), &clsid);
    if (SUCCEEDED(hr)) {
      hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, object.put_void());
    }
    auto addIn =
        SUCCEEDED(hr) ? std::make_unique<LoadedAddIn>(object, throughInvoke, entry) : nullptr;
    if (!addIn || !addIn->usable()) {
      char code[16];
      std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(hr));
      err << "outlook-sim: the add-in " << name << " was not loaded ("
          << (SUCCEEDED(hr) ? "no IDTExtensibility2" : code) << ")\n";
      continue;
    }
    folders.push_back(ServerFolder(clsid));
    addIns.push_back(std::move(addIn));
  }
  if (addIns.empty()) return nullptr;
  return std::make_unique<AddIns>(face, std::move(addIns));
}

}  // namespace voxtrel::olsim::win32
