// The image lists shared by all report lists, and the cache of the bitmaps and icons
// already placed in them.
#include "runtime/control/ControlState.h"

#include "runtime/core/Core.h"

namespace {
// Colour images with a mask, one slot at a time.
constexpr UINT IMAGE_LIST_FLAGS = ILC_COLOR16 | ILC_MASK;

HIMAGELIST CreateImageList(int widthMetric, int heightMetric) {
    return ImageList_Create(GetSystemMetrics(widthMetric), GetSystemMetrics(heightMetric),
                            IMAGE_LIST_FLAGS, 1, 1);
}

// Makes room for one more pair when the cache is full; a failed growth keeps the old
// cache, which then only stops remembering.
void PrepareImageCache() {
    if (ImageCache == nullptr) {
        ImageCache = static_cast<ImageCacheEntry*>(
            HeapAlloc(AppHeap, HEAP_ZERO_MEMORY, sizeof(ImageCacheEntry) * IMAGE_CACHE_GROWTH));
        ImageCacheCapacity = ImageCache != nullptr ? IMAGE_CACHE_GROWTH : 0;
        return;
    }
    if (ImageCacheCount < ImageCacheCapacity) {
        return;
    }
    int32_t capacity = ImageCacheCapacity + IMAGE_CACHE_GROWTH;
    void* grown = HeapReAlloc(AppHeap, HEAP_ZERO_MEMORY, ImageCache,
                              sizeof(ImageCacheEntry) * static_cast<SIZE_T>(capacity));
    if (grown != nullptr) {
        ImageCache = static_cast<ImageCacheEntry*>(grown);
        ImageCacheCapacity = capacity;
    }
}
} // namespace

int32_t ImageIndexFor(HANDLE image) {
    if (image == nullptr) {
        return -1;
    }
    if (NormalImageList == nullptr) {
        NormalImageList = CreateImageList(SM_CXICON, SM_CYICON);
    }
    if (SmallImageList == nullptr) {
        SmallImageList = CreateImageList(SM_CXSMICON, SM_CYSMICON);
    }
    PrepareImageCache();
    for (int32_t i = 0; i < ImageCacheCount; i++) {
        if (ImageCache[i].image == image) {
            return ImageCache[i].index;
        }
    }
    int32_t index;
    if (GetObjectType(image) == OBJ_BITMAP) {
        ImageList_Add(NormalImageList, static_cast<HBITMAP>(image), nullptr);
        index = ImageList_Add(SmallImageList, static_cast<HBITMAP>(image), nullptr);
    } else {
        ImageList_ReplaceIcon(NormalImageList, -1, static_cast<HICON>(image));
        index = ImageList_ReplaceIcon(SmallImageList, -1, static_cast<HICON>(image));
    }
    if (ImageCacheCount < ImageCacheCapacity) {
        ImageCache[ImageCacheCount].image = image;
        ImageCache[ImageCacheCount].index = index;
        ImageCacheCount++;
    }
    return index;
}
