#include "drive/row_sinks.h"

namespace halvoric {

const char* StatusText(Status status) { return status == Status::Ok ? "OK" : "BAD"; }

}  // namespace halvoric
