#include "host/error_trace.h"

#include <exception>
#include <new>

#include "common/error.h"
#include "host/mod_trace_write.h"

namespace voxtrel {

std::string CurrentErrorDescription() {
  try {
    throw;
  } catch (const Error& error) {
    return error.description();
  } catch (const std::bad_alloc&) {
    return ClassicDescription(7);
  } catch (const std::exception& error) {
    return error.what();
  } catch (...) {
    return ClassicDescription(0);
  }
}

int CurrentErrorNumber() {
  try {
    throw;
  } catch (const Error& error) {
    return error.number();
  } catch (const std::bad_alloc&) {
    return 7;
  } catch (...) {
    return 0;
  }
}

void TraceErrorLine(std::string_view prefix, const std::string& description) {
  modTraceWrite::TraceWrite(std::string(prefix) + description);
}

}  // namespace voxtrel
