#pragma once

namespace corvane {

// Hands the pages of freed heap memory back to the system, so that the resident runner's
// footprint shrinks after work that frees much more than it keeps.
void returnFreedMemory();

} // namespace corvane
