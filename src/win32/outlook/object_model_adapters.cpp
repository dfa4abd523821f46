#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>

#include "common/error.h"
#include "win32/outlook/adapters.h"
#include "win32/outlook/event_sink.h"
#include "win32/outlook/late_bound.h"

namespace voxtrel::win32::outlook {
namespace {

namespace ports = voxtrel::outlook;

constexpr IID kIidMailItem = OutlookIid(0x00063034);

// The event interfaces, with their Outlook 2002 twins.
constexpr IID kInspectorsEvents = OutlookIid(0x00063079);
constexpr IID kExplorerEvents = OutlookIid(0x0006304F);
constexpr IID kExplorerEvents10 = OutlookIid(0x0006300F);
constexpr IID kInspectorEvents = OutlookIid(0x0006307D);
constexpr IID kInspectorEvents10 = OutlookIid(0x0006302A);
constexpr IID kItemEvents = OutlookIid(0x0006303A);
constexpr IID kItemEvents10 = OutlookIid(0x0006302B);

const EventId kNewInspector{kInspectorsEvents, std::nullopt, 0xF001, L"NewInspector"};
const EventId kExplorerSelectionChange{kExplorerEvents, kExplorerEvents10, 0xF007,
                                       L"SelectionChange"};
const EventId kExplorerClose{kExplorerEvents, kExplorerEvents10, 0xF008, L"Close"};
const EventId kInspectorActivate{kInspectorEvents, kInspectorEvents10, 0xF001, L"Activate"};
const EventId kInspectorDeactivate{kInspectorEvents, kInspectorEvents10, 0xF006, L"Deactivate"};
const EventId kInspectorClose{kInspectorEvents, kInspectorEvents10, 0xF008, L"Close"};
const EventId kSend{kItemEvents, kItemEvents10, 0xF005, L"Send"};
// Outlook 2013's reading-pane replies, on ExplorerEvents_10 only.
const EventId kInlineResponse{kExplorerEvents10, std::nullopt, 0xFC92, L"InlineResponse"};
const EventId kInlineResponseClose{kExplorerEvents10, std::nullopt, 0xFC96, L"InlineResponseClose"};

// COM's identity of an object: its IUnknown, the same whichever interface it was reached by.
ports::WindowIdentity IdentityOf(IDispatch& object) {
  const auto unknown = ComPtr<IDispatch>(&object).Query<IUnknown>();
  return reinterpret_cast<ports::WindowIdentity>(unknown.get());
}

template <typename Port>
std::shared_ptr<Port> Wrap(ComPtr<IDispatch> object) {
  if (!object) return nullptr;
  return std::make_shared<Port>(std::move(object));
}

ports::Subscription SubscribePlain(IDispatch& source, const EventId& event,
                                   std::function<void()> handler) {
  return Subscribe(source, event, [handler = std::move(handler)](DISPPARAMS&) { handler(); });
}

class Attachment final : public ports::IAttachment {
 public:
  explicit Attachment(ComPtr<IDispatch> object) : host_(std::move(object)) {}
  std::string FileName() override { return host_.Text(L"FileName"); }
  void SaveAsFile(const std::string& path) override { host_.Call(L"SaveAsFile", {path}); }

 private:
  LateBound host_;
};

class Attachments final : public ports::IAttachments {
 public:
  explicit Attachments(ComPtr<IDispatch> object) : host_(std::move(object)) {}
  std::int32_t Count() override { return host_.Int(L"Count"); }
  std::shared_ptr<ports::IAttachment> Item(std::int32_t index) override {
    return Wrap<Attachment>(host_.Object(L"Item", {index}));
  }
  // Add(Source, Type, Position, DisplayName) with Type and DisplayName left out.
  std::shared_ptr<ports::IAttachment> Add(const std::string& source,
                                          std::int32_t position) override {
    return Wrap<Attachment>(host_.Object(L"Add", {source, kOmitted, position}));
  }
  void Remove(std::int32_t index) override { host_.Call(L"Remove", {index}); }

 private:
  LateBound host_;
};

class MailItem final : public ports::IMailItem {
 public:
  explicit MailItem(ComPtr<IDispatch> object) : host_(std::move(object)) {}
  bool Sent() override { return host_.Bool(L"Sent"); }
  std::shared_ptr<ports::IAttachments> Attachments() override {
    return Wrap<outlook::Attachments>(host_.Object(L"Attachments"));
  }
  std::string Body() override { return host_.Text(L"Body"); }
  void Body(const std::string& value) override { host_.Put(L"Body", value); }
  std::int32_t BodyFormat() override { return host_.Int(L"BodyFormat"); }
  std::string HTMLBody() override { return host_.Text(L"HTMLBody"); }
  void HTMLBody(const std::string& value) override { host_.Put(L"HTMLBody", value); }
  std::string BillingInformation() override { return host_.Text(L"BillingInformation"); }
  void BillingInformation(const std::string& value) override {
    host_.Put(L"BillingInformation", value);
  }
  ports::Subscription SubscribeSend(SendHandler handler) override {
    return Subscribe(host_.object(), kSend, [handler](DISPPARAMS& arguments) {
      VARIANT_BOOL* cancelArgument = BoolReference(arguments, 0);
      bool cancel = cancelArgument != nullptr && *cancelArgument != VARIANT_FALSE;
      handler(cancel);
      if (cancelArgument != nullptr) *cancelArgument = cancel ? VARIANT_TRUE : VARIANT_FALSE;
    });
  }

 private:
  LateBound host_;
};

// Any item; it is mail when it answers for _MailItem, as a typed classic variable asks.
class Item final : public ports::IItem {
 public:
  explicit Item(ComPtr<IDispatch> object) : object_(std::move(object)) {}
  std::shared_ptr<ports::IMailItem> AsMailItem() override {
    ComPtr<IDispatch> mail = MailInterface();
    if (!mail) throw voxtrel::Error(errnum::kTypeMismatch);
    return std::make_shared<MailItem>(std::move(mail));
  }
  bool IsMailItem() override { return static_cast<bool>(MailInterface()); }

 private:
  // _MailItem is dual: its pointer is an IDispatch.
  ComPtr<IDispatch> MailInterface() const {
    ComPtr<IDispatch> mail;
    object_->QueryInterface(kIidMailItem, mail.put_void());
    return mail;
  }

  ComPtr<IDispatch> object_;
};

class Items final : public ports::IItems {
 public:
  explicit Items(ComPtr<IDispatch> object) : host_(std::move(object)) {}
  std::int32_t Count() override { return host_.Int(L"Count"); }

 private:
  LateBound host_;
};

class Folder final : public ports::IFolder {
 public:
  explicit Folder(ComPtr<IDispatch> object) : host_(std::move(object)) {}
  std::shared_ptr<ports::IItems> Items() override {
    return Wrap<outlook::Items>(host_.Object(L"Items"));
  }
  std::int32_t DefaultItemType() override { return host_.Int(L"DefaultItemType"); }

 private:
  LateBound host_;
};

class Selection final : public ports::ISelection {
 public:
  explicit Selection(ComPtr<IDispatch> object) : host_(std::move(object)) {}
  std::int32_t Count() override { return host_.Int(L"Count"); }
  std::shared_ptr<ports::IItem> Item(std::int32_t index) override {
    return Wrap<outlook::Item>(host_.Object(L"Item", {index}));
  }

 private:
  LateBound host_;
};

class Explorer final : public ports::IExplorer {
 public:
  explicit Explorer(ComPtr<IDispatch> object) : host_(std::move(object)) {}
  std::string Caption() override { return host_.Text(L"Caption"); }
  std::shared_ptr<ports::IFolder> CurrentFolder() override {
    return Wrap<Folder>(host_.Object(L"CurrentFolder"));
  }
  std::shared_ptr<ports::ISelection> Selection() override {
    return Wrap<outlook::Selection>(host_.Object(L"Selection"));
  }
  std::shared_ptr<ports::ICommandBars> CommandBars() override {
    return WrapCommandBars(host_.Object(L"CommandBars"));
  }
  std::int32_t Left() override { return host_.Int(L"Left"); }
  ports::WindowIdentity Identity() override { return IdentityOf(host_.object()); }
  ports::Subscription SubscribeClose(std::function<void()> handler) override {
    return SubscribePlain(host_.object(), kExplorerClose, std::move(handler));
  }
  ports::Subscription SubscribeSelectionChange(std::function<void()> handler) override {
    return SubscribePlain(host_.object(), kExplorerSelectionChange, std::move(handler));
  }
  std::shared_ptr<ports::IItem> ActiveInlineResponse() override {
    return Wrap<Item>(host_.Object(L"ActiveInlineResponse"));
  }
  ports::Subscription SubscribeInlineResponse(InlineResponseHandler handler) override {
    return Subscribe(host_.object(), kInlineResponse, [handler](DISPPARAMS& arguments) {
      handler(Wrap<Item>(ObjectArgument(arguments, 0)));
    });
  }
  ports::Subscription SubscribeInlineResponseClose(std::function<void()> handler) override {
    return SubscribePlain(host_.object(), kInlineResponseClose, std::move(handler));
  }

 private:
  LateBound host_;
};

class Inspector final : public ports::IInspector {
 public:
  explicit Inspector(ComPtr<IDispatch> object) : host_(std::move(object)) {}
  std::shared_ptr<ports::IItem> CurrentItem() override {
    return Wrap<Item>(host_.Object(L"CurrentItem"));
  }
  bool IsWordMail() override { return host_.Bool(L"IsWordMail"); }
  std::shared_ptr<ports::ICommandBars> CommandBars() override {
    return WrapCommandBars(host_.Object(L"CommandBars"));
  }
  std::int32_t Left() override { return host_.Int(L"Left"); }
  ports::WindowIdentity Identity() override { return IdentityOf(host_.object()); }
  ports::Subscription SubscribeClose(std::function<void()> handler) override {
    return SubscribePlain(host_.object(), kInspectorClose, std::move(handler));
  }
  ports::Subscription SubscribeActivate(std::function<void()> handler) override {
    return SubscribePlain(host_.object(), kInspectorActivate, std::move(handler));
  }
  ports::Subscription SubscribeDeactivate(std::function<void()> handler) override {
    return SubscribePlain(host_.object(), kInspectorDeactivate, std::move(handler));
  }

 private:
  LateBound host_;
};

class Inspectors final : public ports::IInspectors {
 public:
  explicit Inspectors(ComPtr<IDispatch> object) : host_(std::move(object)) {}
  ports::Subscription SubscribeNewInspector(NewInspectorHandler handler) override {
    return Subscribe(host_.object(), kNewInspector, [handler](DISPPARAMS& arguments) {
      handler(Wrap<Inspector>(ObjectArgument(arguments, 0)));
    });
  }

 private:
  LateBound host_;
};

class Application final : public ports::IApplication {
 public:
  explicit Application(ComPtr<IDispatch> object) : host_(std::move(object)) {}
  std::string Version() override { return host_.Text(L"Version"); }
  std::shared_ptr<ports::IExplorer> ActiveExplorer() override {
    return Wrap<Explorer>(host_.Object(L"ActiveExplorer"));
  }
  std::shared_ptr<ports::IInspectors> Inspectors() override {
    return Wrap<outlook::Inspectors>(host_.Object(L"Inspectors"));
  }

 private:
  LateBound host_;
};

}  // namespace

std::shared_ptr<ports::IApplication> WrapApplication(ComPtr<IDispatch> application) {
  return Wrap<Application>(std::move(application));
}

}  // namespace voxtrel::win32::outlook
