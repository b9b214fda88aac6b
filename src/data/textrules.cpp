// Filled in by the module's work.
