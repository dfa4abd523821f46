#include "sim/outlook/ports.h"

#include "common/error.h"

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
};

// Ports are made inside calls that hold the model.
Model& Of(const Face& face) {
  return *face.model.lock();
}

std::string Quoted(const std::string& text) {
  return "\"" + text + "\"";
}

class Port {
 protected:
  Port(const Face& face, std::string what) : face_(face), entry_(*face.census, std::move(what)) {}

  // Held for the whole call, so the model outlives what the call does.
  std::shared_ptr<Model> M() const {
    std::shared_ptr<Model> model = face_.model.lock();
    if (!model) {
      throw Error(-2147417848, "Microsoft Office Outlook",
                  "The object invoked has disconnected from its clients.");
    }
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
}

std::string ControlName(Model& model, Id control, const char* kind) {
  const Bar& bar = model.BarOfControl(control);
  return std::string(kind) + " " + Quoted(model.ControlById(control).parameter) + " of " +
         model.WindowName(model.WindowOfBar(bar.id).id);
}

class ButtonPort final : public outlook::IButton, Port {
 public:
  ButtonPort(const Face& face, Id id) : Port(face, ControlName(Of(face), id, "button")), id_(id) {}
  std::string Caption() override { return M()->ControlById(id_).caption; }
  void Caption(const std::string& value) override { M()->ControlById(id_).caption = value; }
  void Style(std::int32_t value) override { M()->ControlById(id_).style = value; }
  bool Visible() override { return M()->ControlById(id_).visible; }
  void Visible(bool value) override { M()->ControlById(id_).visible = value; }
  void ToolTipText(const std::string& value) override { M()->ControlById(id_).tooltip = value; }
  std::int32_t Width() override { return M()->Width(id_); }
  std::int32_t Top() override { return M()->Top(id_); }
  void PasteFace() override { M()->PasteFace(id_); }
  Subscription SubscribeClick(ClickHandler handler) override {
    const std::string what = "Click of " + ControlName(*M(), id_, "button");
    return Subscribe(id_, EventKind::kClick, what,
                     [handler](EventArgs& args) { handler(args.cancel); });
  }

 private:
  Id id_;
};

class ComboBoxPort final : public outlook::IComboBox, Port {
 public:
  ComboBoxPort(const Face& face, Id id)
      : Port(face, ControlName(Of(face), id, "combo box")), id_(id) {}
  void Caption(const std::string& value) override { M()->ControlById(id_).caption = value; }
  void Style(std::int32_t value) override { M()->ControlById(id_).style = value; }
  bool Visible() override { return M()->ControlById(id_).visible; }
  void Visible(bool value) override { M()->ControlById(id_).visible = value; }
  void Clear() override {
    Control& combo = M()->ControlById(id_);
    combo.entries.clear();
    combo.listIndex = 0;
  }
  void AddItem(const std::string& text) override { M()->ControlById(id_).entries.push_back(text); }
  std::int32_t ListCount() override {
    return static_cast<std::int32_t>(M()->ControlById(id_).entries.size());
  }
  std::int32_t ListIndex() override { return M()->ControlById(id_).listIndex; }
  void ListIndex(std::int32_t value) override {
    Control& combo = M()->ControlById(id_);
    if (value < 0 || value > static_cast<std::int32_t>(combo.entries.size())) {
      throw Error(5, "Office", ClassicDescription(5));
    }
    combo.listIndex = value;
  }

 private:
  Id id_;
};

class ControlPort final : public outlook::IControl, Port {
 public:
  ControlPort(const Face& face, Id id)
      : Port(face, ControlName(Of(face), id, "control")), id_(id) {}
  bool Visible() override { return M()->ControlById(id_).visible; }
  std::int32_t Width() override { return M()->Width(id_); }
  std::int32_t Top() override { return M()->Top(id_); }

 private:
  Id id_;
};

std::string BarName(Model& model, Id bar) {
  return Quoted(model.BarById(bar).name) + " of " + model.WindowName(model.WindowOfBar(bar).id);
}

class ControlsPort final : public outlook::IControls, Port {
 public:
  ControlsPort(const Face& face, Id bar)
      : Port(face, "controls of bar " + BarName(Of(face), bar)), bar_(bar) {}
  std::shared_ptr<outlook::IButton> AddButton(const std::string& parameter) override {
    return std::make_shared<ButtonPort>(face_,
                                        M()->AddControl(bar_, ControlKind::kButton, parameter));
  }
  std::shared_ptr<outlook::IComboBox> AddComboBox(const std::string& parameter) override {
    return std::make_shared<ComboBoxPort>(face_,
                                          M()->AddControl(bar_, ControlKind::kComboBox, parameter));
  }
  std::int32_t Count() override {
    return static_cast<std::int32_t>(M()->BarById(bar_).controls.size());
  }
  std::shared_ptr<outlook::IControl> Item(std::int32_t index) override {
    const auto& controls = M()->BarById(bar_).controls;
    if (index < 1 || index > static_cast<std::int32_t>(controls.size())) {
      throw Error(5, "Office", ClassicDescription(5));
    }
    return std::make_shared<ControlPort>(face_, controls[static_cast<std::size_t>(index - 1)].id);
  }

 private:
  Id bar_;
};

class CommandBarPort final : public outlook::ICommandBar, Port {
 public:
  CommandBarPort(const Face& face, Id id) : Port(face, "bar " + BarName(Of(face), id)), id_(id) {}
  std::string Name() override { return M()->BarById(id_).name; }
  std::shared_ptr<outlook::IControls> Controls() override {
    M()->BarById(id_);
    return std::make_shared<ControlsPort>(face_, id_);
  }
  void Position(std::int32_t value) override { M()->BarById(id_).position = value; }
  bool Visible() override { return M()->BarById(id_).visible; }
  void Visible(bool value) override { M()->BarById(id_).visible = value; }
  void Delete() override { M()->DeleteBar(id_); }

 private:
  Id id_;
};

class CommandBarsPort final : public outlook::ICommandBars, Port {
 public:
  CommandBarsPort(const Face& face, Id window)
      : Port(face, "command bars of " + Of(face).WindowName(window)), window_(window) {}
  std::int32_t Count() override {
    return static_cast<std::int32_t>(M()->WindowById(window_).bars.size());
  }
  std::shared_ptr<outlook::ICommandBar> Item(std::int32_t index) override {
    const auto& bars = M()->WindowById(window_).bars;
    if (index < 1 || index > static_cast<std::int32_t>(bars.size())) {
      throw Error(5, "Office", ClassicDescription(5));
    }
    return std::make_shared<CommandBarPort>(face_, bars[static_cast<std::size_t>(index - 1)].id);
  }
  std::shared_ptr<outlook::ICommandBar> Add(const std::string& name, std::int32_t position,
                                            bool temporary) override {
    return std::make_shared<CommandBarPort>(face_, M()->AddBar(window_, name, position, temporary));
  }

 private:
  Id window_;
};

class AttachmentPort final : public outlook::IAttachment, Port {
 public:
  AttachmentPort(const Face& face, Id id)
      : Port(face, "attachment " + Quoted(Of(face).AttachmentById(id).fileName) + " of " +
                       Of(face).ItemOfAttachment(id).name),
        id_(id) {}
  std::string FileName() override { return M()->AttachmentById(id_).fileName; }
  void SaveAsFile(const std::string& path) override { M()->SaveAttachment(id_, path); }

 private:
  Id id_;
};

class AttachmentsPort final : public outlook::IAttachments, Port {
 public:
  AttachmentsPort(const Face& face, Id item)
      : Port(face, "attachments of " + Of(face).ItemById(item).name), item_(item) {}
  std::int32_t Count() override {
    return static_cast<std::int32_t>(M()->ItemById(item_).attachments.size());
  }
  std::shared_ptr<outlook::IAttachment> Item(std::int32_t index) override {
    const auto& attachments = M()->ItemById(item_).attachments;
    if (index < 1 || index > static_cast<std::int32_t>(attachments.size())) {
      throw Error(-2147352565, "Microsoft Office Outlook", "Array index out of bounds.");
    }
    return std::make_shared<AttachmentPort>(face_,
                                            attachments[static_cast<std::size_t>(index - 1)].id);
  }
  std::shared_ptr<outlook::IAttachment> Add(const std::string& source,
                                            std::int32_t position) override {
    return std::make_shared<AttachmentPort>(face_, M()->AddAttachment(item_, source, position));
  }
  void Remove(std::int32_t index) override { M()->RemoveAttachment(item_, index); }

 private:
  Id item_;
};

class MailItemPort final : public outlook::IMailItem, Port {
 public:
  MailItemPort(const Face& face, Id id)
      : Port(face, "mail item " + Of(face).ItemById(id).name), id_(id) {}
  bool Sent() override { return M()->ItemById(id_).sent; }
  std::shared_ptr<outlook::IAttachments> Attachments() override {
    return std::make_shared<AttachmentsPort>(face_, id_);
  }
  std::string Body() override { return M()->ItemById(id_).body; }
  void Body(const std::string& value) override { M()->ItemById(id_).body = value; }
  std::string HTMLBody() override { return M()->ItemById(id_).htmlBody; }
  void HTMLBody(const std::string& value) override { M()->SetHtmlBody(id_, value); }
  std::string BillingInformation() override { return M()->ItemById(id_).billing; }
  void BillingInformation(const std::string& value) override { M()->ItemById(id_).billing = value; }
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
    if (!IsMailItem()) throw Error(errnum::kTypeMismatch);
    return std::make_shared<MailItemPort>(face_, id_);
  }
  bool IsMailItem() override { return M()->ItemById(id_).kind == ItemKind::kMail; }

 private:
  Id id_;
};

class ItemsPort final : public outlook::IItems, Port {
 public:
  ItemsPort(const Face& face, Id folder)
      : Port(face, "items of " + Quoted(Of(face).FolderById(folder).name)), folder_(folder) {}
  std::int32_t Count() override {
    return static_cast<std::int32_t>(M()->FolderById(folder_).items.size());
  }

 private:
  Id folder_;
};

class FolderPort final : public outlook::IFolder, Port {
 public:
  FolderPort(const Face& face, Id id)
      : Port(face, "folder " + Quoted(Of(face).FolderById(id).name)), id_(id) {}
  std::shared_ptr<outlook::IItems> Items() override {
    return std::make_shared<ItemsPort>(face_, id_);
  }
  std::int32_t DefaultItemType() override {
    // OlItemType: mail 0, appointment 1, contact 2, task 3, journal 4, note 5.
    static constexpr std::int32_t types[] = {0, 1, 2, 3, 5, 4};
    return types[static_cast<int>(M()->FolderById(id_).kind)];
  }

 private:
  Id id_;
};

// A snapshot, as Outlook's Selection is.
class SelectionPort final : public outlook::ISelection, Port {
 public:
  SelectionPort(const Face& face, std::vector<Id> items)
      : Port(face, "selection"), items_(std::move(items)) {}
  std::int32_t Count() override { return static_cast<std::int32_t>(items_.size()); }
  std::shared_ptr<outlook::IItem> Item(std::int32_t index) override {
    if (index < 1 || index > Count()) {
      throw Error(-2147352565, "Microsoft Office Outlook", "Array index out of bounds.");
    }
    return std::make_shared<ItemPort>(face_, items_[static_cast<std::size_t>(index - 1)]);
  }

 private:
  std::vector<Id> items_;
};

class ExplorerPort final : public outlook::IExplorer, Port {
 public:
  ExplorerPort(const Face& face, Id id) : Port(face, "explorer"), id_(id) {}
  std::string Caption() override { return M()->Caption(id_); }
  std::shared_ptr<outlook::IFolder> CurrentFolder() override {
    return std::make_shared<FolderPort>(face_, M()->WindowById(id_).folder);
  }
  std::shared_ptr<outlook::ISelection> Selection() override {
    return std::make_shared<SelectionPort>(face_, M()->WindowById(id_).selection);
  }
  std::shared_ptr<outlook::ICommandBars> CommandBars() override {
    M()->WindowById(id_);
    return std::make_shared<CommandBarsPort>(face_, id_);
  }
  std::int32_t Left() override { return M()->Left(id_); }
  Subscription SubscribeClose(std::function<void()> handler) override {
    return Subscribe(id_, EventKind::kClose, "Close of the explorer",
                     [handler](EventArgs&) { handler(); });
  }
  Subscription SubscribeSelectionChange(std::function<void()> handler) override {
    return Subscribe(id_, EventKind::kSelectionChange, "SelectionChange of the explorer",
                     [handler](EventArgs&) { handler(); });
  }

 private:
  Id id_;
};

class InspectorPort final : public outlook::IInspector, Port {
 public:
  InspectorPort(const Face& face, Id id) : Port(face, Of(face).WindowName(id)), id_(id) {}
  std::shared_ptr<outlook::IItem> CurrentItem() override {
    return std::make_shared<ItemPort>(face_, M()->WindowById(id_).item);
  }
  std::shared_ptr<outlook::ICommandBars> CommandBars() override {
    M()->WindowById(id_);
    return std::make_shared<CommandBarsPort>(face_, id_);
  }
  std::int32_t Left() override { return M()->Left(id_); }
  Subscription SubscribeClose(std::function<void()> handler) override {
    return Subscribe(id_, EventKind::kClose, "Close of " + M()->WindowName(id_),
                     [handler](EventArgs&) { handler(); });
  }
  Subscription SubscribeDeactivate(std::function<void()> handler) override {
    return Subscribe(id_, EventKind::kDeactivate, "Deactivate of " + M()->WindowName(id_),
                     [handler](EventArgs&) { handler(); });
  }

 private:
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
  std::string Version() override { return M()->Version(); }
  std::shared_ptr<outlook::IExplorer> ActiveExplorer() override {
    const std::optional<Id> explorer = M()->ActiveExplorer();
    if (!explorer) return nullptr;
    return std::make_shared<ExplorerPort>(face_, *explorer);
  }
  std::shared_ptr<outlook::IInspectors> Inspectors() override {
    return std::make_shared<InspectorsPort>(face_);
  }
};

}  // namespace

std::shared_ptr<outlook::IApplication> MakeApplication(const std::shared_ptr<Model>& model,
                                                       Census& census) {
  return std::make_shared<ApplicationPort>(Face{model, &census});
}

}  // namespace voxtrel::olsim
