#include "config/fs/WriteHooks.h"

namespace conf {

WriteHooks& TestWriteHooks() {
  static WriteHooks hooks;
  return hooks;
}

}  // namespace conf
