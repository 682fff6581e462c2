#include "base/errors.h"

#include <new>

namespace oz {

std::ostream& operator<<(std::ostream& os, const ErrObj& e) {
  return os << e.code << ' ' << int16_t(e.detail) << ' ' << int16_t(e.sub);
}

ErrObj current_error() noexcept {
  try {
    throw;
  } catch (const ErrObj& e) {
    return e;
  } catch (const std::bad_alloc&) {
    return ErrObj(EW_INTERNAL, internal_detail::kNoMemory);
  } catch (...) {
    return ErrObj(EW_INTERNAL, internal_detail::kUnexpected);
  }
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
