#include "ui/PictureList.h"

std::string TPictureList::SelectedFile() const {
    return FSelected >= 0 ? FFiles[FSelected] : "";
}

void TPictureList::Select(int index) {
    FSelected = index >= 0 && index < Count() ? index : -1;
}

void TPictureList::Insert(const std::vector<std::string>& files) {
    FFiles.insert(FFiles.end(), files.begin(), files.end());
    if (Count() > MaxCount) {
        FFiles.erase(FFiles.begin(), FFiles.begin() + (Count() - MaxCount));
    }
    Select(0);
}

void TPictureList::DeleteSelected() {
    if (FSelected < 0) {
        return;
    }
    FFiles.erase(FFiles.begin() + FSelected);
    if (FSelected == Count()) {
        FSelected = Count() - 1;
    }
}
