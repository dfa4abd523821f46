#pragma once

#include <windows.h>

#include <oaidl.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "sim/outlook/win32/sim_object.h"

namespace voxtrel::olsim::win32 {

// Every connection made through any connection point; a connection outlives the object whose
// point made it, as a subscription outlives its port, until it is unadvised. The model's events
// reach each connection's sink through Invoke.
class Connections {
 public:
  // `face` is the run's, which names this store.
  explicit Connections(const Face& face) : face_(face) {}
  ~Connections() { Clear(); }

  DWORD Advise(const void* point, Id source, const EventSet& events, ComPtr<IDispatch> sink,
               const std::string& sourceName);
  HRESULT Unadvise(const void* point, DWORD cookie);
  std::vector<std::pair<DWORD, ComPtr<IDispatch>>> Of(const void* point) const;
  // Releases every sink: before COM goes.
  void Clear();

 private:
  struct Connection {
    const void* point;
    Id source;
    ComPtr<IDispatch> sink;
    std::vector<std::uint64_t> tokens;
    std::string name;
    std::string sourceName;
    std::unique_ptr<Census::Entry> entry;
  };
  void Deliver(DWORD cookie, const EventDef& event, EventArgs& args);
  void End(Connection& connection);

  const Face& face_;
  DWORD next_ = 1;
  std::map<DWORD, Connection> connections_;
};

}  // namespace voxtrel::olsim::win32
