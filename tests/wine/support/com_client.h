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

  // Late bound, through GetIDsOfNames and Invoke as scripts call, without arguments; a
  // failure carries the EXCEPINFO.
  ComResult InvokeMethod(const std::string& name);

  // A sink (IUnknown, IDispatch and __VoxtrelInst) on the object's connection point.
  ComResult Advise();
  ComResult Unadvise();
  int finishedPlayingCount() const;
  // On the next finishedPlaying the sink lets go of everything, as a script does with
  // "Set recorder = Nothing" in its event handler: unadvise, then release the object.
  void ReleaseObjectOnFinishedPlaying();
  bool HoldsObject() const;

  // What clients learn of the object, a line each: "answers {iid}" or "refuses {iid}" for each
  // of `iids`, "error info" when _VoxtrelInst supports it, "default source {iid}" from
  // IProvideClassInfo2, "point {iid}: N connections" for each connection point.
  std::vector<std::string> Describe(const std::vector<std::string>& iids) const;

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

// The type library embedded in a DLL, loaded without registering it, as text: the library,
// then each type ("name kind guid flags") and its members, one line each.
std::vector<std::string> DescribeTypeLibrary(const std::string& dllPath);

}  // namespace voxtrel::win32::testing
