// The table of compatible copies a discovery pass finds: slot 0 the first,
// then further distinct copies in the order found, at most eleven in all. The
// copy list shows it when it holds two or more. Pure.
#pragma once
#include <array>
#include <string>

constexpr int FoundCopySlots = 11;

struct FoundCopyTable {
    std::array<std::string, FoundCopySlots> FoundCopies;  // executable paths
    int usedSlots = 1;         // number of the last used slot once the list exists
    bool listCreated = false;  // a second distinct copy was found

    // The copies found, in order (slot 0 alone when no list was created).
    int count() const { return FoundCopies[0].empty() ? 0 : listCreated ? usedSlots + 1 : 1; }
};

// Hands one more compatible copy (differing from slot 0) to the table: the
// first call creates the list with it in slot 1; later calls append a path not
// yet listed while a slot is free. Paths compare exactly, case included.
void AddFoundCopy(FoundCopyTable& table, const std::string& path);
