#pragma once

#include <memory>

class TBitmap;

// A soft background for a picture that leaves parts of the screen uncovered: the picture
// scaled to cover width x height, strongly blurred (a radius of about 3 % of the width) and
// darkened by a third. Slow enough (a few milliseconds at 1920 x 1080) to be made on a worker
// thread with the picture; touches nothing but its arguments. An empty picture gives none.
std::shared_ptr<TBitmap> MakeBackdrop(const TBitmap& picture, int width, int height);
