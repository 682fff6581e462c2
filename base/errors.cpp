#include "base/errors.h"

namespace oz {

std::ostream& operator<<(std::ostream& os, const ErrObj& e) {
  return os << e.code << ' ' << int16_t(e.detail) << ' ' << int16_t(e.sub);
}

const char* result_name(int16_t code) {
  switch (code) {
#define OZ_NAME_(name, value) \
  case value:                 \
    return #name;
    OZ_RESULT_CODES(OZ_NAME_)
#undef OZ_NAME_
  }
  return nullptr;
}

}  // namespace oz
