// The classes of Outlook's and Office's object models that the simulated Outlook offers, each a
// table of members by Outlook's names over the one model.
#include <windows.h>

#include <olectl.h>

#include <string>
#include <utility>

#include "common/error.h"
#include "sim/outlook/dump.h"
#include "sim/outlook/host_errors.h"
#include "sim/outlook/win32/sim_object.h"
#include "win32/com/unique_variant.h"
#include "win32/platform/win32_drawing.h"

namespace voxtrel::olsim::win32 {
namespace {

// All end in -0000-0000-C000-000000000046.
constexpr IID OutlookIid(unsigned long prefix) {
  return {prefix, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
}

const EventSet kExplorerEvents{OutlookIid(0x0006304F),
                               OutlookIid(0x0006300F),
                               {{0xF007, EventKind::kSelectionChange, "SelectionChange"},
                                {0xF008, EventKind::kClose, "Close"},
                                {0xFC92, EventKind::kInlineResponse, "InlineResponse"},
                                {0xFC96, EventKind::kInlineResponseClose, "InlineResponseClose"}}};
const EventSet kInspectorsEvents{
    OutlookIid(0x00063079), std::nullopt, {{0xF001, EventKind::kNewInspector, "NewInspector"}}};
const EventSet kInspectorEvents{OutlookIid(0x0006307D),
                                OutlookIid(0x0006302A),
                                {{0xF001, EventKind::kActivate, "Activate"},
                                 {0xF006, EventKind::kDeactivate, "Deactivate"},
                                 {0xF008, EventKind::kClose, "Close"}}};
const EventSet kItemEvents{
    OutlookIid(0x0006303A), OutlookIid(0x0006302B), {{0xF005, EventKind::kSend, "Send"}}};
const EventSet kButtonEvents{
    OutlookIid(0x000C0351), std::nullopt, {{1, EventKind::kClick, "Click"}}};

ComPtr<IDispatch> Make(Object& self, Kind kind, Id id) {
  return MakeObject(self.face(), kind, id);
}

template <typename Container>
std::size_t Checked(std::int32_t index, const Container& items, const Error& error) {
  if (index < 1 || index > static_cast<std::int32_t>(items.size())) throw error;
  return static_cast<std::size_t>(index - 1);
}

using Getter = std::function<Value(Object&, Model&, const Args&)>;
using Putter = std::function<void(Object&, Model&, const Args&)>;

Member Get(const wchar_t* name, Getter get, std::size_t maxArgs = 0) {
  return {name, maxArgs, std::move(get), nullptr, 0};
}

Member Property(const wchar_t* name, Getter get, Putter put) {
  return {name, 0, std::move(get), std::move(put), 0};
}

Member Method(const wchar_t* name, std::size_t maxArgs, Getter call) {
  return {name, maxArgs, std::move(call), nullptr, 0};
}

// A property Office XP (10) added, which Office 2000 does not know; set only.
Member SetOnlySinceOfficeXp(const wchar_t* name, Putter put) {
  constexpr int kOfficeXp = 10;
  return {name, 0, nullptr, std::move(put), kOfficeXp};
}

// The bitmap of the picture object (IPictureDisp) a put hands over, read back as a packed DIB.
platform::Bytes PictureBits(const Args& args) {
  voxtrel::win32::com::UniqueVariant value;
  if (FAILED(VariantCopyInd(value.get(), const_cast<VARIANT*>(&args.Value())))) {
    throw InvalidArgument();
  }
  IUnknown* object = value.type() == VT_DISPATCH  ? V_DISPATCH(value.get())
                     : value.type() == VT_UNKNOWN ? V_UNKNOWN(value.get())
                                                  : nullptr;
  ComPtr<IPicture> picture;
  if (object != nullptr) object->QueryInterface(IID_IPicture, picture.put_void());
  SHORT type = PICTYPE_NONE;
  OLE_HANDLE handle = 0;
  if (!picture || FAILED(picture->get_Type(&type)) || type != PICTYPE_BITMAP ||
      FAILED(picture->get_Handle(&handle))) {
    throw InvalidArgument();
  }
  // OLE hands a GDI handle over in 32 bits; Windows widens such handles with their sign.
  const auto bitmap = reinterpret_cast<HBITMAP>(static_cast<LONG_PTR>(static_cast<LONG>(handle)));
  platform::Bytes dib = voxtrel::win32::DibOfBitmap(bitmap);
  if (dib.empty()) throw InvalidArgument();
  return dib;
}

// The layout and visibility members every window has.
Member WindowCommandBars() {
  return Get(L"CommandBars", [](Object& self, Model& m, const Args&) -> Value {
    m.WindowById(self.id());
    return Make(self, Kind::kCommandBars, self.id());
  });
}

Member WindowLeft() {
  return Get(L"Left",
             [](Object& self, Model& m, const Args&) -> Value { return m.Left(self.id()); });
}

const ClassDef kApplication{{
    Get(L"Version", [](Object&, Model& m, const Args&) -> Value { return m.Version(); }),
    Get(L"Name", [](Object&, Model&, const Args&) -> Value { return std::string("Outlook"); }),
    Get(L"ActiveExplorer",
        [](Object& self, Model& m, const Args&) -> Value {
          const std::optional<Id> explorer = m.ActiveExplorer();
          if (!explorer) return ComPtr<IDispatch>();
          return Make(self, Kind::kExplorer, *explorer);
        }),
    Get(L"Inspectors",
        [](Object& self, Model& m, const Args&) -> Value {
          return Make(self, Kind::kInspectors, m.ApplicationId());
        }),
}};

const ClassDef kExplorer{
    {
        Get(L"Caption",
            [](Object& self, Model& m, const Args&) -> Value { return m.Caption(self.id()); }),
        Get(L"CurrentFolder",
            [](Object& self, Model& m, const Args&) -> Value {
              return Make(self, Kind::kFolder, m.WindowById(self.id()).folder);
            }),
        Get(L"Selection",
            [](Object& self, Model& m, const Args&) -> Value {
              return MakeObject(self.face(), Kind::kSelection, self.id(),
                                m.WindowById(self.id()).selection);
            }),
        WindowCommandBars(),
        WindowLeft(),
    },
    {&kExplorerEvents}};

const ClassDef kInspectors{{}, {&kInspectorsEvents}};

const ClassDef kInspector{{
                              Get(L"CurrentItem",
                                  [](Object& self, Model& m, const Args&) -> Value {
                                    return Make(self, Kind::kItem, m.WindowById(self.id()).item);
                                  }),
                              Get(L"IsWordMail",
                                  [](Object& self, Model& m, const Args&) -> Value {
                                    return m.WindowById(self.id()).wordMail;
                                  }),
                              WindowCommandBars(),
                              WindowLeft(),
                          },
                          {&kInspectorEvents}};

const ClassDef kFolder{{
    Get(L"Name",
        [](Object& self, Model& m, const Args&) -> Value { return m.FolderById(self.id()).name; }),
    Get(L"Items",
        [](Object& self, Model& m, const Args&) -> Value {
          m.FolderById(self.id());
          return Make(self, Kind::kItems, self.id());
        }),
    Get(L"DefaultItemType",
        [](Object& self, Model& m, const Args&) -> Value {
          // OlItemType: mail 0, appointment 1, contact 2, task 3, journal 4, note 5.
          static constexpr std::int32_t types[] = {0, 1, 2, 3, 5, 4};
          return types[static_cast<int>(m.FolderById(self.id()).kind)];
        }),
}};

const ClassDef kItems{{
    Get(L"Count",
        [](Object& self, Model& m, const Args&) -> Value {
          return static_cast<std::int32_t>(m.FolderById(self.id()).items.size());
        }),
}};

// A snapshot, as Outlook's Selection is.
const ClassDef kSelection{{
    Get(L"Count",
        [](Object& self, Model&, const Args&) -> Value {
          return static_cast<std::int32_t>(self.items().size());
        }),
    Method(L"Item", 1,
           [](Object& self, Model&, const Args& args) -> Value {
             return Make(self, Kind::kItem,
                         self.items()[Checked(args.Int(0), self.items(), OutOfBounds())]);
           }),
}};

std::int32_t ObjectClass(ItemKind kind) {
  // OlObjectClass of mail, contact, appointment, meeting request, report, task, note, post.
  static constexpr std::int32_t classes[] = {43, 40, 26, 53, 46, 48, 44, 45};
  return classes[static_cast<int>(kind)];
}

Member ItemClass() {
  return Get(L"Class", [](Object& self, Model& m, const Args&) -> Value {
    return ObjectClass(m.ItemById(self.id()).kind);
  });
}

Member ItemText(const wchar_t* name, std::string Item::*field) {
  return Property(
      name,
      [field](Object& self, Model& m, const Args&) -> Value {
        return m.ItemById(self.id()).*field;
      },
      [field](Object& self, Model& m, const Args& args) {
        m.ItemById(self.id()).*field = args.TextValue();
      });
}

const ClassDef kOtherItem{
    {ItemClass(), ItemText(L"Subject", &Item::subject), ItemText(L"Body", &Item::body)}};

const ClassDef kMailItem{
    {
        ItemClass(),
        ItemText(L"Subject", &Item::subject),
        Property(
            L"Body",
            [](Object& self, Model& m, const Args&) -> Value { return m.ItemById(self.id()).body; },
            [](Object& self, Model& m, const Args& args) {
              m.SetBody(self.id(), args.TextValue());
            }),
        Get(L"BodyFormat",
            [](Object& self, Model& m, const Args&) -> Value { return m.BodyFormatOf(self.id()); }),
        Property(
            L"HTMLBody",
            [](Object& self, Model& m, const Args&) -> Value { return m.HtmlBodyOf(self.id()); },
            [](Object& self, Model& m, const Args& args) {
              m.SetHtmlBody(self.id(), args.TextValue());
            }),
        Property(
            L"BillingInformation",
            [](Object& self, Model& m, const Args&) -> Value {
              return m.ItemById(self.id()).billing;
            },
            [](Object& self, Model& m, const Args& args) {
              m.SetBilling(self.id(), args.TextValue());
            }),
        Get(L"Sent",
            [](Object& self, Model& m, const Args&) -> Value {
              return m.ItemById(self.id()).sent;
            }),
        Get(L"Attachments",
            [](Object& self, Model& m, const Args&) -> Value {
              m.ItemById(self.id());
              return Make(self, Kind::kAttachments, self.id());
            }),
    },
    {&kItemEvents},
    true};

const ClassDef kAttachments{{
    Get(L"Count",
        [](Object& self, Model& m, const Args&) -> Value {
          return static_cast<std::int32_t>(m.ItemById(self.id()).attachments.size());
        }),
    Method(L"Item", 1,
           [](Object& self, Model& m, const Args& args) -> Value {
             const auto& attachments = m.ItemById(self.id()).attachments;
             return Make(self, Kind::kAttachment,
                         attachments[Checked(args.Int(0), attachments, OutOfBounds())].id);
           }),
    // Add(Source, [Type], [Position], [DisplayName]): appended whatever the position says.
    Method(L"Add", 4,
           [](Object& self, Model& m, const Args& args) -> Value {
             const std::string source = args.Text(0);
             const std::int32_t position = args.Has(2) ? args.Int(2) : 1;
             return Make(self, Kind::kAttachment, m.AddAttachment(self.id(), source, position));
           }),
    Method(L"Remove", 1,
           [](Object& self, Model& m, const Args& args) -> Value {
             m.RemoveAttachment(self.id(), args.Int(0));
             return {};
           }),
}};

const ClassDef kAttachment{{
    Get(L"FileName",
        [](Object& self, Model& m, const Args&) -> Value {
          return m.AttachmentById(self.id()).fileName;
        }),
    Get(L"DisplayName",
        [](Object& self, Model& m, const Args&) -> Value {
          return m.AttachmentById(self.id()).fileName;
        }),
    Method(L"SaveAsFile", 1,
           [](Object& self, Model& m, const Args& args) -> Value {
             m.SaveAttachment(self.id(), args.Text(0));
             return {};
           }),
}};

const ClassDef kCommandBars{{
    Get(L"Count",
        [](Object& self, Model& m, const Args&) -> Value {
          return static_cast<std::int32_t>(m.Bars(self.id()).size());
        }),
    // By index from 1 or by name.
    Method(L"Item", 1,
           [](Object& self, Model& m, const Args& args) -> Value {
             const auto& bars = m.Bars(self.id());
             std::size_t index = 0;
             bool byName = false;
             try {
               index = Checked(args.Int(0), bars, OfficeRefuses());
             } catch (const ArgumentError&) {
               byName = true;
             }
             if (byName) {
               const std::string name = args.Text(0);
               for (index = 0; index < bars.size() && bars[index].name != name; ++index) {
               }
               if (index == bars.size()) throw OfficeRefuses();
             }
             return Make(self, Kind::kCommandBar, bars[index].id);
           }),
    // Add([Name], [Position], [MenuBar], [Temporary]).
    Method(L"Add", 4,
           [](Object& self, Model& m, const Args& args) -> Value {
             const std::string name = args.Has(0) ? args.Text(0) : "Custom";
             const std::int32_t position = args.Has(1) ? args.Int(1) : 1;
             const bool temporary = args.Has(3) && args.Bool(3);
             return Make(self, Kind::kCommandBar, m.AddBar(self.id(), name, position, temporary));
           }),
}};

const ClassDef kCommandBar{{
    Get(L"Name",
        [](Object& self, Model& m, const Args&) -> Value { return m.BarById(self.id()).name; }),
    Get(L"Controls",
        [](Object& self, Model& m, const Args&) -> Value {
          m.BarById(self.id());
          return Make(self, Kind::kControls, self.id());
        }),
    Property(
        L"Position",
        [](Object& self, Model& m, const Args&) -> Value { return m.BarById(self.id()).position; },
        [](Object& self, Model& m, const Args& args) {
          m.BarById(self.id()).position = args.IntValue();
        }),
    Property(
        L"Visible",
        [](Object& self, Model& m, const Args&) -> Value { return m.BarById(self.id()).visible; },
        [](Object& self, Model& m, const Args& args) {
          m.BarById(self.id()).visible = args.BoolValue();
        }),
    Method(L"Delete", 0,
           [](Object& self, Model& m, const Args&) -> Value {
             m.DeleteBar(self.id());
             return {};
           }),
}};

const ClassDef kControls{{
    Get(L"Count",
        [](Object& self, Model& m, const Args&) -> Value {
          return static_cast<std::int32_t>(m.BarById(self.id()).controls.size());
        }),
    // Add([Type], [Id], [Parameter], [Before], [Temporary]): msoControlButton 1 or
    // msoControlComboBox 4.
    Method(L"Add", 5,
           [](Object& self, Model& m, const Args& args) -> Value {
             const std::int32_t type = args.Has(0) ? args.Int(0) : 1;
             if (type != 1 && type != 4) throw OfficeRefuses();
             const std::string parameter = args.Has(2) ? args.Text(2) : std::string();
             const ControlKind kind = type == 1 ? ControlKind::kButton : ControlKind::kComboBox;
             const Id control = m.AddControl(self.id(), kind, parameter);
             return Make(self, type == 1 ? Kind::kButton : Kind::kComboBox, control);
           }),
    Method(L"Item", 1,
           [](Object& self, Model& m, const Args& args) -> Value {
             const auto& controls = m.BarById(self.id()).controls;
             const Control& control = controls[Checked(args.Int(0), controls, OfficeRefuses())];
             return Make(self,
                         control.kind == ControlKind::kButton ? Kind::kButton : Kind::kComboBox,
                         control.id);
           }),
}};

Member ControlText(const wchar_t* name, std::string Control::*field) {
  return Property(
      name,
      [field](Object& self, Model& m, const Args&) -> Value {
        return m.ControlById(self.id()).*field;
      },
      [field](Object& self, Model& m, const Args& args) {
        m.ControlById(self.id()).*field = args.TextValue();
      });
}

Member ControlStyle() {
  return Property(
      L"Style",
      [](Object& self, Model& m, const Args&) -> Value { return m.ControlById(self.id()).style; },
      [](Object& self, Model& m, const Args& args) {
        m.ControlById(self.id()).style = args.IntValue();
      });
}

Member ControlVisible() {
  return Property(
      L"Visible",
      [](Object& self, Model& m, const Args&) -> Value { return m.ControlById(self.id()).visible; },
      [](Object& self, Model& m, const Args& args) {
        m.ControlById(self.id()).visible = args.BoolValue();
      });
}

Member ControlWidth() {
  return Get(L"Width",
             [](Object& self, Model& m, const Args&) -> Value { return m.Width(self.id()); });
}

Member ControlTop() {
  return Get(L"Top", [](Object& self, Model& m, const Args&) -> Value { return m.Top(self.id()); });
}

const ClassDef kButton{{
                           ControlText(L"Caption", &Control::caption),
                           ControlText(L"ToolTipText", &Control::tooltip),
                           ControlText(L"Parameter", &Control::parameter),
                           ControlText(L"Tag", &Control::tag),
                           ControlStyle(),
                           ControlVisible(),
                           ControlWidth(),
                           ControlTop(),
                           Method(L"PasteFace", 0,
                                  [](Object& self, Model& m, const Args&) -> Value {
                                    m.PasteFace(self.id());
                                    return {};
                                  }),
                           SetOnlySinceOfficeXp(L"Picture",
                                                [](Object& self, Model& m, const Args& args) {
                                                  m.SetFacePicture(self.id(), PictureBits(args));
                                                }),
                           SetOnlySinceOfficeXp(L"Mask",
                                                [](Object& self, Model& m, const Args& args) {
                                                  m.SetFaceMask(self.id(), PictureBits(args));
                                                }),
                       },
                       {&kButtonEvents}};

const ClassDef kComboBox{{
    ControlText(L"Caption", &Control::caption),
    ControlText(L"ToolTipText", &Control::tooltip),
    ControlText(L"Parameter", &Control::parameter),
    ControlText(L"Tag", &Control::tag),
    ControlStyle(),
    ControlVisible(),
    ControlWidth(),
    ControlTop(),
    Method(L"Clear", 0,
           [](Object& self, Model& m, const Args&) -> Value {
             Control& combo = m.ControlById(self.id());
             combo.entries.clear();
             combo.listIndex = 0;
             return {};
           }),
    // AddItem(Text, [Index]): appends unless Index (from 1) says where.
    Method(L"AddItem", 2,
           [](Object& self, Model& m, const Args& args) -> Value {
             const std::string text = args.Text(0);
             auto& entries = m.ControlById(self.id()).entries;
             const std::int32_t index =
                 args.Has(1) ? args.Int(1) : static_cast<std::int32_t>(entries.size()) + 1;
             if (index < 1 || index > static_cast<std::int32_t>(entries.size()) + 1) {
               throw OfficeRefuses();
             }
             entries.insert(entries.begin() + (index - 1), text);
             return {};
           }),
    Get(L"ListCount",
        [](Object& self, Model& m, const Args&) -> Value {
          return static_cast<std::int32_t>(m.ControlById(self.id()).entries.size());
        }),
    Property(
        L"ListIndex",
        [](Object& self, Model& m, const Args&) -> Value {
          return m.ControlById(self.id()).listIndex;
        },
        [](Object& self, Model& m, const Args& args) {
          Control& combo = m.ControlById(self.id());
          const std::int32_t value = args.IntValue();
          if (value < 0 || value > static_cast<std::int32_t>(combo.entries.size())) {
            throw OfficeRefuses();
          }
          combo.listIndex = value;
        }),
}};

struct Described {
  const ClassDef& def;
  std::string name;
  std::string eventSource;
};

// The class, the census description (the native ports' own) and the events' source name.
Described Describe(Model& m, Kind kind, Id id) {
  switch (kind) {
    case Kind::kApplication:
      return {kApplication, "application", ""};
    case Kind::kExplorer:
      return {kExplorer, "explorer", m.WindowName(id)};
    case Kind::kInspectors:
      return {kInspectors, "inspectors", ""};
    case Kind::kInspector:
      return {kInspector, m.WindowName(id), m.WindowName(id)};
    case Kind::kFolder:
      return {kFolder, "folder " + QuoteText(m.FolderById(id).name), ""};
    case Kind::kItems:
      return {kItems, "items of " + QuoteText(m.FolderById(id).name), ""};
    case Kind::kSelection:
      return {kSelection, "selection", ""};
    case Kind::kItem: {
      const Item& item = m.ItemById(id);
      if (item.kind == ItemKind::kMail) return {kMailItem, "mail item " + item.name, item.name};
      return {kOtherItem, "item " + item.name, item.name};
    }
    case Kind::kAttachments:
      return {kAttachments, "attachments of " + m.ItemById(id).name, ""};
    case Kind::kAttachment:
      return {kAttachment,
              "attachment " + QuoteText(m.AttachmentById(id).fileName) + " of " +
                  m.ItemOfAttachment(id).name,
              ""};
    case Kind::kCommandBars:
      return {kCommandBars, "command bars of " + m.WindowName(id), ""};
    case Kind::kCommandBar:
      return {kCommandBar, "bar " + DescribeBar(m, id), ""};
    case Kind::kControls:
      return {kControls, "controls of bar " + DescribeBar(m, id), ""};
    case Kind::kButton:
      return {kButton, DescribeControl(m, id, "button"), DescribeControl(m, id, "button")};
    case Kind::kComboBox:
      return {kComboBox, DescribeControl(m, id, "combo box"), ""};
  }
  throw Error(errnum::kInvalidProcedureCall);
}

}  // namespace

ComPtr<IDispatch> MakeObject(const Face& face, Kind kind, Id id, std::vector<Id> items) {
  const std::shared_ptr<Model> model = face.model.lock();
  if (!model) {
    throw Disconnected();
  }
  const bool window = kind == Kind::kInspector || kind == Kind::kExplorer;
  if (window && face.windows != nullptr) {
    const auto live = face.windows->find(id);
    if (live != face.windows->end()) return ComPtr<IDispatch>(live->second);
  }
  Described described = Describe(*model, kind, id);
  const ComPtr<Object> object =
      Object::Make(face, described.def, id, std::move(items), std::move(described.name),
                   std::move(described.eventSource));
  if (window) object->ShareAsWindow();
  return ComPtr<IDispatch>(object.get());
}

}  // namespace voxtrel::olsim::win32
