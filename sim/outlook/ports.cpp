#include "sim/outlook/ports.h"

#include <type_traits>

#include "common/error.h"
#include "sim/outlook/dump.h"
#include "sim/outlook/host_errors.h"

namespace voxtrel::olsim {

Census::Entry::Entry(Census& census, std::string what) : census_(census), key_(census.next_++) {
  census_.live_.emplace(key_, std::move(what));
}

Census::Entry::~Entry() {
  census_.live_.erase(key_);
}

std::vector<std::string> Census::Live() const {
  std::vector<std::string> live;
  for (const auto& [key, what] : live_) live.push_back(what);
  return live;
}

namespace {

using outlook::Subscription;

struct Face {
  std::weak_ptr<Model> model;
  Census* census;
  CallGate* gate;
};

// Ports are made inside calls that hold the model.
Model& Of(const Face& face) {
  return *face.model.lock();
}

class Port {
 protected:
  Port(const Face& face, std::string what) : face_(face), entry_(*face.census, std::move(what)) {}

  // Every call the add-in makes goes through here: it is counted, and may be the one that
  // answers Nothing or fails.
  template <typename Body>
  auto Call(Body&& body) const -> std::invoke_result_t<Body> {
    using Result = std::invoke_result_t<Body>;
    if (const auto fault = face_.gate->Enter()) {
      if (*fault == CallGate::Fault::kError) throw OperationFailed();
      if constexpr (std::is_void_v<Result>) {
        return;
      } else {
        return Result{};
      }
    }
    return body();
  }

  // Held for the whole call, so the model outlives what the call does.
  std::shared_ptr<Model> M() const {
    std::shared_ptr<Model> model = face_.model.lock();
    if (!model) throw Disconnected();
    return model;
  }

  Subscription Subscribe(Id source, EventKind kind, const std::string& what,
                         Model::Handler handler) const;

  Face face_;

 private:
  Census::Entry entry_;
};

class ModelSubscription final : public outlook::ISubscription {
 public:
  ModelSubscription(const Face& face, std::uint64_t token, std::string what)
      : model_(face.model), token_(token), entry_(*face.census, std::move(what)) {}
  ~ModelSubscription() override {
    if (const auto model = model_.lock()) model->Unsubscribe(token_);
  }

 private:
  std::weak_ptr<Model> model_;
  std::uint64_t token_;
  Census::Entry entry_;
};

Subscription Port::Subscribe(Id source, EventKind kind, const std::string& what,
                             Model::Handler handler) const {
  return Call([&]() -> Subscription {
    Census* census = face_.census;
    auto guarded = [census, what, handler](EventArgs& args) {
      try {
        handler(args);
      } catch (const std::exception& error) {
        census->HandlerFailed(what + " failed: " + error.what());
      }
    };
    const std::uint64_t token = M()->Subscribe(source, kind, guarded);
    return std::make_unique<ModelSubscription>(face_, token, what);
  });
}

template <typename Container>
std::size_t Checked(std::int32_t index, const Container& items, const Error& error) {
  if (index < 1 || index > static_cast<std::int32_t>(items.size())) throw error;
  return static_cast<std::size_t>(index - 1);
}

// What buttons and combo boxes both offer.
template <typename Interface>
class ControlMembers : public Interface, protected Port {
 public:
  void Caption(const std::string& value) override {
    Call([&] { Self().caption = value; });
  }
  void Style(std::int32_t value) override {
    Call([&] { Self().style = value; });
  }
  bool Visible() override {
    return Call([&] { return Self().visible; });
  }
  void Visible(bool value) override {
    Call([&] { Self().visible = value; });
  }
  void Tag(const std::string& value) override {
    Call([&] { Self().tag = value; });
  }

 protected:
  ControlMembers(const Face& face, Id id, const char* kind)
      : Port(face, DescribeControl(Of(face), id, kind)), id_(id) {}
  // Found anew at each call: the control goes with its bar.
  Control& Self() const { return M()->ControlById(id_); }

  Id id_;
};

class ButtonPort final : public ControlMembers<outlook::IButton> {
 public:
  ButtonPort(const Face& face, Id id) : ControlMembers(face, id, "button") {}
  using ControlMembers::Caption;
  std::string Caption() override {
    return Call([&] { return Self().caption; });
  }
  void ToolTipText(const std::string& value) override {
    Call([&] { Self().tooltip = value; });
  }
  std::int32_t Width() override {
    return Call([&] { return M()->Width(id_); });
  }
  std::int32_t Top() override {
    return Call([&] { return M()->Top(id_); });
  }
  void PasteFace() override {
    Call([&] { M()->PasteFace(id_); });
  }
  void Picture(const std::vector<std::uint8_t>& packedDib) override {
    Call([&] { M()->SetFacePicture(id_, packedDib); });
  }
  void Mask(const std::vector<std::uint8_t>& packedDib) override {
    Call([&] { M()->SetFaceMask(id_, packedDib); });
  }
  Subscription SubscribeClick(ClickHandler handler) override {
    const std::string what = "Click of " + DescribeControl(*M(), id_, "button");
    return Subscribe(id_, EventKind::kClick, what,
                     [handler](EventArgs& args) { handler(args.cancel); });
  }
};

class ComboBoxPort final : public ControlMembers<outlook::IComboBox> {
 public:
  ComboBoxPort(const Face& face, Id id) : ControlMembers(face, id, "combo box") {}
  void Clear() override {
    Call([&] {
      Control& combo = Self();
      combo.entries.clear();
      combo.listIndex = 0;
    });
  }
  void AddItem(const std::string& text) override {
    Call([&] { Self().entries.push_back(text); });
  }
  std::int32_t ListCount() override {
    return Call([&] { return static_cast<std::int32_t>(Self().entries.size()); });
  }
  std::int32_t ListIndex() override {
    return Call([&] { return Self().listIndex; });
  }
  void ListIndex(std::int32_t value) override {
    Call([&] {
      Control& combo = Self();
      if (value < 0 || value > static_cast<std::int32_t>(combo.entries.size())) {
        throw OfficeRefuses();
      }
      combo.listIndex = value;
    });
  }
};

class ControlPort final : public outlook::IControl, Port {
 public:
  ControlPort(const Face& face, Id id)
      : Port(face, DescribeControl(Of(face), id, "control")), id_(id) {}
  bool Visible() override {
    return Call([&] { return M()->ControlById(id_).visible; });
  }
  std::int32_t Width() override {
    return Call([&] { return M()->Width(id_); });
  }
  std::int32_t Top() override {
    return Call([&] { return M()->Top(id_); });
  }

 private:
  Id id_;
};

class ControlsPort final : public outlook::IControls, Port {
 public:
  ControlsPort(const Face& face, Id bar)
      : Port(face, "controls of bar " + DescribeBar(Of(face), bar)), bar_(bar) {}
  std::shared_ptr<outlook::IButton> AddButton(const std::string& parameter) override {
    return Call([&]() -> std::shared_ptr<outlook::IButton> {
      return std::make_shared<ButtonPort>(face_,
                                          M()->AddControl(bar_, ControlKind::kButton, parameter));
    });
  }
  std::shared_ptr<outlook::IComboBox> AddComboBox(const std::string& parameter) override {
    return Call([&]() -> std::shared_ptr<outlook::IComboBox> {
      return std::make_shared<ComboBoxPort>(
          face_, M()->AddControl(bar_, ControlKind::kComboBox, parameter));
    });
  }
  std::int32_t Count() override {
    return Call([&] { return static_cast<std::int32_t>(M()->BarById(bar_).controls.size()); });
  }
  std::shared_ptr<outlook::IControl> Item(std::int32_t index) override {
    return Call([&]() -> std::shared_ptr<outlook::IControl> {
      const auto& controls = M()->BarById(bar_).controls;
      return std::make_shared<ControlPort>(face_,
                                           controls[Checked(index, controls, OfficeRefuses())].id);
    });
  }

 private:
  Id bar_;
};

class CommandBarPort final : public outlook::ICommandBar, Port {
 public:
  CommandBarPort(const Face& face, Id id)
      : Port(face, "bar " + DescribeBar(Of(face), id)), id_(id) {}
  std::string Name() override {
    return Call([&] { return M()->BarById(id_).name; });
  }
  std::shared_ptr<outlook::IControls> Controls() override {
    return Call([&]() -> std::shared_ptr<outlook::IControls> {
      M()->BarById(id_);
      return std::make_shared<ControlsPort>(face_, id_);
    });
  }
  void Position(std::int32_t value) override {
    Call([&] { M()->BarById(id_).position = value; });
  }
  bool Visible() override {
    return Call([&] { return M()->BarById(id_).visible; });
  }
  void Visible(bool value) override {
    Call([&] { M()->BarById(id_).visible = value; });
  }
  void Delete() override {
    Call([&] { M()->DeleteBar(id_); });
  }

 private:
  Id id_;
};

class CommandBarsPort final : public outlook::ICommandBars, Port {
 public:
  CommandBarsPort(const Face& face, Id window)
      : Port(face, "command bars of " + Of(face).WindowName(window)), window_(window) {}
  std::int32_t Count() override {
    return Call([&] { return static_cast<std::int32_t>(M()->Bars(window_).size()); });
  }
  std::shared_ptr<outlook::ICommandBar> Item(std::int32_t index) override {
    return Call([&]() -> std::shared_ptr<outlook::ICommandBar> {
      const auto& bars = M()->Bars(window_);
      return std::make_shared<CommandBarPort>(face_,
                                              bars[Checked(index, bars, OfficeRefuses())].id);
    });
  }
  std::shared_ptr<outlook::ICommandBar> Add(const std::string& name, std::int32_t position,
                                            bool temporary) override {
    return Call([&]() -> std::shared_ptr<outlook::ICommandBar> {
      return std::make_shared<CommandBarPort>(face_,
                                              M()->AddBar(window_, name, position, temporary));
    });
  }

 private:
  Id window_;
};

class AttachmentPort final : public outlook::IAttachment, Port {
 public:
  AttachmentPort(const Face& face, Id id)
      : Port(face, "attachment " + QuoteText(Of(face).AttachmentById(id).fileName) + " of " +
                       Of(face).ItemOfAttachment(id).name),
        id_(id) {}
  std::string FileName() override {
    return Call([&] { return M()->AttachmentById(id_).fileName; });
  }
  void SaveAsFile(const std::string& path) override {
    Call([&] { M()->SaveAttachment(id_, path); });
  }

 private:
  Id id_;
};

class AttachmentsPort final : public outlook::IAttachments, Port {
 public:
  AttachmentsPort(const Face& face, Id item)
      : Port(face, "attachments of " + Of(face).ItemById(item).name), item_(item) {}
  std::int32_t Count() override {
    return Call([&] { return static_cast<std::int32_t>(M()->ItemById(item_).attachments.size()); });
  }
  std::shared_ptr<outlook::IAttachment> Item(std::int32_t index) override {
    return Call([&]() -> std::shared_ptr<outlook::IAttachment> {
      const auto& attachments = M()->ItemById(item_).attachments;
      return std::make_shared<AttachmentPort>(
          face_, attachments[Checked(index, attachments, OutOfBounds())].id);
    });
  }
  std::shared_ptr<outlook::IAttachment> Add(const std::string& source,
                                            std::int32_t position) override {
    return Call([&]() -> std::shared_ptr<outlook::IAttachment> {
      return std::make_shared<AttachmentPort>(face_, M()->AddAttachment(item_, source, position));
    });
  }
  void Remove(std::int32_t index) override {
    Call([&] { M()->RemoveAttachment(item_, index); });
  }

 private:
  Id item_;
};

class MailItemPort final : public outlook::IMailItem, Port {
 public:
  MailItemPort(const Face& face, Id id)
      : Port(face, "mail item " + Of(face).ItemById(id).name), id_(id) {}
  bool Sent() override {
    return Call([&] { return M()->ItemById(id_).sent; });
  }
  std::shared_ptr<outlook::IAttachments> Attachments() override {
    return Call([&]() -> std::shared_ptr<outlook::IAttachments> {
      M()->ItemById(id_);
      return std::make_shared<AttachmentsPort>(face_, id_);
    });
  }
  std::string Body() override {
    return Call([&] { return M()->ItemById(id_).body; });
  }
  void Body(const std::string& value) override {
    Call([&] { M()->SetBody(id_, value); });
  }
  std::int32_t BodyFormat() override {
    return Call([&] { return M()->BodyFormatOf(id_); });
  }
  std::string HTMLBody() override {
    return Call([&] { return M()->HtmlBodyOf(id_); });
  }
  void HTMLBody(const std::string& value) override {
    Call([&] { M()->SetHtmlBody(id_, value); });
  }
  std::string BillingInformation() override {
    return Call([&] { return M()->ItemById(id_).billing; });
  }
  void BillingInformation(const std::string& value) override {
    Call([&] { M()->SetBilling(id_, value); });
  }
  Subscription SubscribeSend(SendHandler handler) override {
    const std::string what = "Send of " + M()->ItemById(id_).name;
    return Subscribe(id_, EventKind::kSend, what,
                     [handler](EventArgs& args) { handler(args.cancel); });
  }

 private:
  Id id_;
};

class ItemPort final : public outlook::IItem, Port {
 public:
  ItemPort(const Face& face, Id id) : Port(face, "item " + Of(face).ItemById(id).name), id_(id) {}
  std::shared_ptr<outlook::IMailItem> AsMailItem() override {
    return Call([&]() -> std::shared_ptr<outlook::IMailItem> {
      if (!IsMail()) throw Error(errnum::kTypeMismatch);
      return std::make_shared<MailItemPort>(face_, id_);
    });
  }
  bool IsMailItem() override {
    return Call([&] { return IsMail(); });
  }

 private:
  bool IsMail() const { return M()->ItemById(id_).kind == ItemKind::kMail; }

  Id id_;
};

class ItemsPort final : public outlook::IItems, Port {
 public:
  ItemsPort(const Face& face, Id folder)
      : Port(face, "items of " + QuoteText(Of(face).FolderById(folder).name)), folder_(folder) {}
  std::int32_t Count() override {
    return Call([&] { return static_cast<std::int32_t>(M()->FolderById(folder_).items.size()); });
  }

 private:
  Id folder_;
};

class FolderPort final : public outlook::IFolder, Port {
 public:
  FolderPort(const Face& face, Id id)
      : Port(face, "folder " + QuoteText(Of(face).FolderById(id).name)), id_(id) {}
  std::shared_ptr<outlook::IItems> Items() override {
    return Call([&]() -> std::shared_ptr<outlook::IItems> {
      return std::make_shared<ItemsPort>(face_, id_);
    });
  }
  std::int32_t DefaultItemType() override {
    // OlItemType: mail 0, appointment 1, contact 2, task 3, journal 4, note 5.
    static constexpr std::int32_t types[] = {0, 1, 2, 3, 5, 4};
    return Call([&] { return types[static_cast<int>(M()->FolderById(id_).kind)]; });
  }

 private:
  Id id_;
};

// A snapshot, as Outlook's Selection is.
class SelectionPort final : public outlook::ISelection, Port {
 public:
  SelectionPort(const Face& face, std::vector<Id> items)
      : Port(face, "selection"), items_(std::move(items)) {}
  std::int32_t Count() override {
    return Call([&] { return static_cast<std::int32_t>(items_.size()); });
  }
  std::shared_ptr<outlook::IItem> Item(std::int32_t index) override {
    return Call([&]() -> std::shared_ptr<outlook::IItem> {
      return std::make_shared<ItemPort>(face_, items_[Checked(index, items_, OutOfBounds())]);
    });
  }

 private:
  std::vector<Id> items_;
};

class ExplorerPort final : public outlook::IExplorer, Port {
 public:
  ExplorerPort(const Face& face, Id id) : Port(face, "explorer"), id_(id) {}
  std::string Caption() override {
    return Call([&] { return M()->Caption(id_); });
  }
  std::shared_ptr<outlook::IFolder> CurrentFolder() override {
    return Call([&]() -> std::shared_ptr<outlook::IFolder> {
      return std::make_shared<FolderPort>(face_, M()->WindowById(id_).folder);
    });
  }
  std::shared_ptr<outlook::ISelection> Selection() override {
    return Call([&]() -> std::shared_ptr<outlook::ISelection> {
      return std::make_shared<SelectionPort>(face_, M()->WindowById(id_).selection);
    });
  }
  std::shared_ptr<outlook::ICommandBars> CommandBars() override {
    return Call([&]() -> std::shared_ptr<outlook::ICommandBars> {
      M()->WindowById(id_);
      return std::make_shared<CommandBarsPort>(face_, id_);
    });
  }
  std::int32_t Left() override {
    return Call([&] { return M()->Left(id_); });
  }
  outlook::WindowIdentity Identity() override { return static_cast<outlook::WindowIdentity>(id_); }
  Subscription SubscribeClose(std::function<void()> handler) override {
    return Subscribe(id_, EventKind::kClose, "Close of the explorer",
                     [handler](EventArgs&) { handler(); });
  }
  Subscription SubscribeSelectionChange(std::function<void()> handler) override {
    return Subscribe(id_, EventKind::kSelectionChange, "SelectionChange of the explorer",
                     [handler](EventArgs&) { handler(); });
  }
  std::shared_ptr<outlook::IItem> ActiveInlineResponse() override {
    return Call([&]() -> std::shared_ptr<outlook::IItem> {
      const Id reply = M()->InlineResponseOf(id_);
      if (reply == 0) return nullptr;
      return std::make_shared<ItemPort>(face_, reply);
    });
  }
  Subscription SubscribeInlineResponse(InlineResponseHandler handler) override {
    const Face face = face_;
    return Subscribe(
        id_, EventKind::kInlineResponse, "InlineResponse of the explorer",
        [face, handler](EventArgs& args) { handler(std::make_shared<ItemPort>(face, args.item)); });
  }
  Subscription SubscribeInlineResponseClose(std::function<void()> handler) override {
    return Subscribe(id_, EventKind::kInlineResponseClose, "InlineResponseClose of the explorer",
                     [handler](EventArgs&) { handler(); });
  }

 private:
  Id id_;
};

class InspectorPort final : public outlook::IInspector, Port {
 public:
  InspectorPort(const Face& face, Id id) : Port(face, Of(face).WindowName(id)), id_(id) {}
  std::shared_ptr<outlook::IItem> CurrentItem() override {
    return Call([&]() -> std::shared_ptr<outlook::IItem> {
      return std::make_shared<ItemPort>(face_, M()->WindowById(id_).item);
    });
  }
  bool IsWordMail() override {
    return Call([&] { return M()->WindowById(id_).wordMail; });
  }
  std::shared_ptr<outlook::ICommandBars> CommandBars() override {
    return Call([&]() -> std::shared_ptr<outlook::ICommandBars> {
      M()->WindowById(id_);
      return std::make_shared<CommandBarsPort>(face_, id_);
    });
  }
  std::int32_t Left() override {
    return Call([&] { return M()->Left(id_); });
  }
  outlook::WindowIdentity Identity() override { return static_cast<outlook::WindowIdentity>(id_); }
  Subscription SubscribeClose(std::function<void()> handler) override {
    return SubscribePlain(EventKind::kClose, "Close", std::move(handler));
  }
  Subscription SubscribeActivate(std::function<void()> handler) override {
    return SubscribePlain(EventKind::kActivate, "Activate", std::move(handler));
  }
  Subscription SubscribeDeactivate(std::function<void()> handler) override {
    return SubscribePlain(EventKind::kDeactivate, "Deactivate", std::move(handler));
  }

 private:
  Subscription SubscribePlain(EventKind kind, const char* event, std::function<void()> handler) {
    return Subscribe(id_, kind, std::string(event) + " of " + M()->WindowName(id_),
                     [handler = std::move(handler)](EventArgs&) { handler(); });
  }

  Id id_;
};

class InspectorsPort final : public outlook::IInspectors, Port {
 public:
  explicit InspectorsPort(const Face& face) : Port(face, "inspectors") {}
  Subscription SubscribeNewInspector(NewInspectorHandler handler) override {
    const Face face = face_;
    return Subscribe(M()->ApplicationId(), EventKind::kNewInspector, "NewInspector",
                     [face, handler](EventArgs& args) {
                       handler(std::make_shared<InspectorPort>(face, args.window));
                     });
  }
};

class ApplicationPort final : public outlook::IApplication, Port {
 public:
  explicit ApplicationPort(const Face& face) : Port(face, "application") {}
  std::string Version() override {
    return Call([&] { return M()->Version(); });
  }
  std::shared_ptr<outlook::IExplorer> ActiveExplorer() override {
    return Call([&]() -> std::shared_ptr<outlook::IExplorer> {
      const std::optional<Id> explorer = M()->ActiveExplorer();
      if (!explorer) return nullptr;
      return std::make_shared<ExplorerPort>(face_, *explorer);
    });
  }
  std::shared_ptr<outlook::IInspectors> Inspectors() override {
    return Call([&]() -> std::shared_ptr<outlook::IInspectors> {
      return std::make_shared<InspectorsPort>(face_);
    });
  }
};

}  // namespace

std::shared_ptr<outlook::IApplication> MakeApplication(const std::shared_ptr<Model>& model,
                                                       Census& census, CallGate& gate) {
  return std::make_shared<ApplicationPort>(Face{model, &census, &gate});
}

}  // namespace voxtrel::olsim
