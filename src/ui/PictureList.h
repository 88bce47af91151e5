#pragma once

#include <string>
#include <vector>

// The wizard's picture files in show order with the list box's selection. Entry i is picture i
// of the settings record and uses caption slot i; the slots stay with the positions, so nothing
// here touches them.
class TPictureList {
public:
    static constexpr int MaxCount = 255;

    const std::vector<std::string>& Files() const { return FFiles; }
    int Count() const { return static_cast<int>(FFiles.size()); }
    bool Empty() const { return FFiles.empty(); }
    // The selected index, -1 for none.
    int Selected() const { return FSelected; }
    std::string SelectedFile() const;

    // -1 or an index below Count(); anything else selects nothing.
    void Select(int index);
    // Appends the files in order, drops the oldest entries beyond MaxCount and selects entry 0.
    void Insert(const std::vector<std::string>& files);
    // Deletes the selected entry; the entry that followed it, or the new last one, is selected.
    void DeleteSelected();

private:
    std::vector<std::string> FFiles;
    int FSelected = -1;
};
