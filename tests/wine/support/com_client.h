#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// A COM client of Voxtrel.VoxtrelInst for the Wine tests, without Windows headers in the tests.
namespace voxtrel::win32::testing {

// One call's outcome: its HRESULT and, for a failure, what the error info or EXCEPINFO said.
struct ComResult {
  std::uint32_t hresult = 0;
  std::string source;
  std::string description;

  bool ok() const { return hresult < 0x80000000u; }
};

// "0x800A03F4" and the like, for test messages.
std::string HResultText(std::uint32_t hresult);

// The calling thread in a single-threaded apartment while it lives.
class ComApartment {
 public:
  ComApartment();
  ~ComApartment();
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;

  std::uint32_t hresult() const { return hresult_; }

 private:
  std::uint32_t hresult_;
};

// How scripts hand an argument over: a literal by value, a variable by reference.
enum class Passing { kByValue, kByReference };

class VoxtrelInstClient {
 public:
  // Creates the class the way scripts do: ProgID to CLSID, then CoCreateInstance.
  static ComResult Create(std::unique_ptr<VoxtrelInstClient>& client);
  ~VoxtrelInstClient();
  VoxtrelInstClient(const VoxtrelInstClient&) = delete;
  VoxtrelInstClient& operator=(const VoxtrelInstClient&) = delete;

  // Early bound, through _VoxtrelInst's vtable; a failure carries the IErrorInfo.
  ComResult SetFileName(const std::string& value);
  ComResult GetFileName(std::string& value);
  // nullopt leaves the optional tag out (a null pointer).
  ComResult RecordMp3(const std::optional<std::string>& tag);
  ComResult PlayMp3();
  ComResult PauseMp3();

  // Late bound, through GetIDsOfNames and Invoke; a failure carries the EXCEPINFO.
  ComResult InvokeMethod(const std::string& name);
  ComResult InvokeMethod(const std::string& name, const std::string& argument, Passing passing);
  ComResult InvokePut(const std::string& name, const std::string& value);
  ComResult InvokeGet(const std::string& name, std::string& value);

  // A sink (IUnknown, IDispatch and __VoxtrelInst) on the object's connection point.
  ComResult Advise();
  ComResult Unadvise();
  int finishedPlayingCount() const;
  // On the next finishedPlaying the sink lets go of everything, as a script does with
  // "Set recorder = Nothing" in its event handler: unadvise, then release the object.
  void ReleaseObjectOnFinishedPlaying();
  bool HoldsObject() const;
  // Connections as EnumConnections lists them; -1 when the call fails.
  int ConnectionCount() const;
  // The event interfaces of the points EnumConnectionPoints lists, as "{...}" text.
  std::vector<std::string> ConnectionPointInterfaces() const;
  // The default source interface IProvideClassInfo2 names, as "{...}" text.
  std::string DefaultSourceInterface() const;

  // Whether the object answers these interfaces.
  bool Supports(const std::string& iid) const;
  bool SupportsErrorInfo() const;

 private:
  struct State;
  explicit VoxtrelInstClient(std::unique_ptr<State> state);
  std::unique_ptr<State> state_;
};

// Runs the thread's messages until `done` or until `timeoutMs` passed; returns done().
bool PumpMessagesUntil(const std::function<bool()>& done, std::uint32_t timeoutMs);
void PumpMessagesFor(std::uint32_t milliseconds);

// The identifiers the DLL publishes, as "{...}" text.
struct VoxtrelIds {
  std::string libid;
  std::string clsid;
  std::string defaultInterface;
  std::string events;
};
VoxtrelIds PublishedIds();

// What a type library says, for comparison with the published interface.
struct ParameterFacts {
  std::uint16_t type = 0;     // VARTYPE
  std::uint16_t pointee = 0;  // for VT_PTR, what it points to
  std::uint16_t flags = 0;    // PARAMFLAG_*
  std::optional<std::string> defaultText;
};

struct FunctionFacts {
  std::string name;
  std::int32_t memid = 0;
  int invokeKind = 0;  // INVOKE_FUNC 1, PROPERTYGET 2, PROPERTYPUT 4
  int slot = 0;        // vtable slot after IDispatch's seven, from 1; 0 for pure dispatch
  std::vector<ParameterFacts> parameters;
};

struct TypeInfoFacts {
  std::string guid;
  std::string name;
  int kind = 0;  // TKIND_*
  std::uint16_t flags = 0;
  std::vector<FunctionFacts> functions;
  std::vector<int> implementedFlags;  // IMPLTYPEFLAG_* of each implemented type (coclass)
  std::vector<std::string> implemented;
};

struct TypeLibraryFacts {
  std::string name;
  std::string helpString;
  std::string libid;
  int major = 0;
  int minor = 0;
  TypeInfoFacts dispatch;  // _VoxtrelInst as clients of IDispatch see it
  TypeInfoFacts vtable;    // its dual vtable half
  TypeInfoFacts events;    // __VoxtrelInst
  TypeInfoFacts coclass;   // VoxtrelInst
};

// Loads the type library embedded in a DLL without registering it.
ComResult DescribeTypeLibrary(const std::string& dllPath, TypeLibraryFacts& facts);

}  // namespace voxtrel::win32::testing
