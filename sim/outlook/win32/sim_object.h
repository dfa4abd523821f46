#pragma once

#include <windows.h>

#include <ocidl.h>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "sim/outlook/model.h"
#include "sim/outlook/ports.h"
#include "sim/outlook/win32/call_arguments.h"
#include "win32/com/com_object.h"
#include "win32/com/com_ptr.h"

// The simulated Outlook's objects as COM objects: late-bound by name through a hand-written
// IDispatch (one name table per class, case-insensitive as automation is), with connection
// points for Outlook's and Office's event dispinterfaces. Every object and every connection the
// add-in holds is in the census, under the same description the native ports give it.
namespace voxtrel::olsim::win32 {

using voxtrel::win32::com::ComPtr;

class Connections;
class Timings;
class Object;

// What every object of one run shares.
struct Face {
  std::weak_ptr<Model> model;
  Census* census = nullptr;
  Connections* connections = nullptr;
  Timings* timings = nullptr;
  // The live object of each window: Outlook hands out the same Inspector or Explorer for the
  // same window, so that COM's identity tells windows apart.
  std::map<Id, Object*>* windows = nullptr;
};

enum class Kind {
  kApplication,
  kExplorer,
  kInspectors,
  kInspector,
  kFolder,
  kItems,
  kSelection,
  kItem,
  kAttachments,
  kAttachment,
  kCommandBars,
  kCommandBar,
  kControls,
  kButton,
  kComboBox,
};

// A new object for the add-in; `items` is a selection's snapshot.
ComPtr<IDispatch> MakeObject(const Face& face, Kind kind, Id id, std::vector<Id> items = {});

class Object;
using Value = std::variant<std::monostate, std::string, std::int32_t, bool, ComPtr<IDispatch>>;

struct Member {
  const wchar_t* name;
  std::size_t maxArgs;                                     // a put's value not counted
  std::function<Value(Object&, Model&, const Args&)> get;  // a property get or a method
  std::function<void(Object&, Model&, const Args&)> put;
  // The first Outlook version that has it; an earlier one knows no such name.
  int sinceVersion;
};

struct EventDef {
  DISPID dispid;
  EventKind kind;
  const char* name;
};

// One event dispinterface, also offered under its Outlook 2002 (_10) DIID when it has one.
struct EventSet {
  IID diid;
  std::optional<IID> diid10;
  std::vector<EventDef> events;
};

struct ClassDef {
  explicit ClassDef(std::vector<Member> members_, std::vector<const EventSet*> events_ = {},
                    bool mailItem_ = false)
      : members(std::move(members_)), events(std::move(events_)), mailItem(mailItem_) {}
  std::vector<Member> members;  // DISPID = index + 1
  std::vector<const EventSet*> events;
  bool mailItem = false;  // answers QueryInterface for _MailItem
};

class EventPoint;

class Object final : public voxtrel::win32::com::ComObject<Object, IDispatch, ISupportErrorInfo,
                                                           IConnectionPointContainer> {
 public:
  // `name` is its description in the census; its events are named "EVENT of `eventSource`"
  // (just "EVENT" when that is empty).
  Object(const Face& face, const ClassDef& def, Id id, std::vector<Id> items, std::string name,
         std::string eventSource);
  ~Object();

  const Face& face() const { return face_; }
  Id id() const { return id_; }
  // This object stands for its window until it goes.
  void ShareAsWindow();
  const std::vector<Id>& items() const { return items_; }
  const std::string& eventSource() const { return eventSource_; }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID lcid,
                                          DISPID* ids) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID lcid, WORD flags, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO* exception,
                                   UINT* argumentError) override;
  HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID iid) override;
  HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints** out) override;
  HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID iid, IConnectionPoint** out) override;

 private:
  HRESULT Call(const Member& member, bool put, const DISPPARAMS& params, VARIANT* result);

  Face face_;
  const ClassDef& def_;
  Id id_;
  std::vector<Id> items_;
  std::string eventSource_;
  Census::Entry entry_;
  std::vector<std::unique_ptr<EventPoint>> points_;
  bool sharedAsWindow_ = false;
};

}  // namespace voxtrel::olsim::win32
