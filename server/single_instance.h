#pragma once
// Whether another copy of the server runs from the same executable path.

namespace tolvex {

// Running copies of the program's executable, own process included (1 when it runs alone).
// Paths are compared byte for byte, so a copy elsewhere (or the same path in another letter
// case) does not count.
int CountRunningCopies();

}  // namespace tolvex
