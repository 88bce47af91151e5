#include "ui/ThumbnailLoader.h"

#include <utility>

#include "toolkit/Picture.h"
#include "toolkit/UserFile.h"
#include "toolkit/Worker.h"
#include "ui/WizardRules.h"

TThumbnailLoader::TThumbnailLoader(TWorker* worker, TShow show, TFail fail)
    : FWorker(worker), FShow(std::move(show)), FFail(std::move(fail)) {}

TThumbnail TThumbnailLoader::Make(const std::string& file, QSize area) {
    TPicture picture;
    picture.SetTargetSize(area.width(), area.height());
    picture.LoadFromFile(file);
    TThumbnail thumbnail;
    thumbnail.Place = FitThumbnail(picture.Width(), picture.Height(), area.width(), area.height());
    // Scaled once here rather than kept at full size: a camera picture would hold tens of
    // megabytes for a thumbnail.
    thumbnail.Image = picture.Graphic().Image().scaled(
        thumbnail.Place.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return thumbnail;
}

void TThumbnailLoader::Load(const std::string& file, QSize area) {
    const int request = ++FRequest;
    if (file.empty() || !IsRegularFile(file)) {
        return;
    }
    if (FWorker == nullptr) {
        TThumbnail thumbnail;
        try {
            thumbnail = Make(file, area);
        } catch (...) {
            FFail(std::current_exception());
            return;
        }
        FShow(thumbnail);
        return;
    }
    struct TResult {
        TThumbnail Thumbnail;
        std::exception_ptr Error;
    };
    auto result = std::make_shared<TResult>();
    // A camera picture takes most of a second to decode: the worker does it, and the window
    // answers meanwhile.
    FWorker->Post(
        [file, area, result] {
            try {
                result->Thumbnail = Make(file, area);
            } catch (...) {
                result->Error = std::current_exception();
            }
        },
        [this, alive = std::weak_ptr<char>(FAlive), request, result] {
            if (!alive.lock() || request != FRequest) {
                return;
            }
            if (result->Error) {
                FFail(result->Error);
            } else {
                FShow(result->Thumbnail);
            }
        });
}
