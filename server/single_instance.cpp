#include "server/single_instance.h"

#include "platform/sys/process_scan.h"

namespace tolvex {

int CountRunningCopies() {
  return sys::CountRunningCopiesOfSelf();
}

}  // namespace tolvex
