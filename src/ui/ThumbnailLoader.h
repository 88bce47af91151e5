#pragma once

#include <QImage>
#include <QRect>
#include <QSize>
#include <exception>
#include <functional>
#include <memory>
#include <string>

class TWorker;

// A picture scaled to where it lies in the thumbnail area.
struct TThumbnail {
    QRect Place;
    QImage Image;
};

// Decodes the thumbnails of the picture list, on the worker when there is one: only the latest
// request's thumbnail or failure arrives, and none once the loader has gone.
class TThumbnailLoader {
public:
    using TShow = std::function<void(const TThumbnail&)>;
    using TFail = std::function<void(std::exception_ptr)>;

    // Without a worker every request is decoded before Load returns.
    TThumbnailLoader(TWorker* worker, TShow show, TFail fail);

    // Decodes file to fit an area of that size and hands it to show, or its error to fail. A
    // name that is empty or no regular file only makes any earlier request stale.
    void Load(const std::string& file, QSize area);
    // Makes any request still under way stale.
    void Cancel() { ++FRequest; }

    // The thumbnail of file in area, decoded on the caller's thread; throws when it cannot be
    // read.
    static TThumbnail Make(const std::string& file, QSize area);

private:
    TWorker* FWorker;
    TShow FShow;
    TFail FFail;
    int FRequest = 0;
    std::shared_ptr<char> FAlive = std::make_shared<char>();
};
