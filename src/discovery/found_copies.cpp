#include "discovery/found_copies.h"

void AddFoundCopy(FoundCopyTable& table, const std::string& path) {
    if (!table.listCreated) {
        table.listCreated = true;
        table.usedSlots = 1;
        table.FoundCopies[1] = path;
        return;
    }
    int last = table.usedSlots;
    for (int slot = 0; slot <= last; ++slot) {
        if (table.FoundCopies[slot] == path) return;
    }
    // The table is full: later copies are neither stored nor listed.
    if (last + 1 >= FoundCopySlots) return;
    table.usedSlots = last + 1;
    table.FoundCopies[table.usedSlots] = path;
}
