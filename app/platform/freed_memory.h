// Giving memory the program has freed back to the system.
#pragma once

namespace rosterly {

// Hands the pages of freed heap memory back to the system, where the allocator keeps them
// otherwise: a run frees its reading buffers just before its largest moments (grouping and
// sorting), and pages the allocator kept would add to the program's peak. Takes well under a
// millisecond; does nothing where the allocator offers no such step.
void returnFreedMemory();

}  // namespace rosterly
