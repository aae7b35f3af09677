// Keeps a library target valid before its first module exists.
