#include "ui/win32/skin_images.h"

#include <ole2.h>
#include <olectl.h>
#include <gdiplus.h>

#include <new>

#include "platform/text.h"
#include "platform/win32/wide.h"
#include "ui/mask_shape.h"

namespace velkor {

namespace {
UniqueRegion RegionFromMaskPixels(HBITMAP mask);
}

void EndProgramForMissingSkin() { ExitProcess(0); }

UniqueBitmap LoadSkinPicture(const std::u16string& path) {
  if (path.empty()) return {};
  UniqueHandle file(CreateFileW(W(path), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file.get() == INVALID_HANDLE_VALUE) {
    file.release();
    return {};
  }
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.get(), &size) || size.QuadPart <= 0 || size.QuadPart > 0x7FFFFFFF) return {};
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, static_cast<SIZE_T>(size.QuadPart));
  if (!memory) return {};
  void* bytes = GlobalLock(memory);
  DWORD read = 0;
  const bool all_read = bytes && ReadFile(file.get(), bytes, static_cast<DWORD>(size.QuadPart), &read, nullptr) &&
                        read == static_cast<DWORD>(size.QuadPart);
  if (bytes) GlobalUnlock(memory);
  if (!all_read) {
    GlobalFree(memory);
    return {};
  }
  IStream* stream = nullptr;
  if (FAILED(CreateStreamOnHGlobal(memory, TRUE, &stream))) {
    GlobalFree(memory);
    return {};
  }
  IPicture* picture = nullptr;
  HRESULT hr = OleLoadPicture(stream, static_cast<LONG>(size.QuadPart), FALSE, IID_IPicture,
                              reinterpret_cast<void**>(&picture));
  stream->Release();
  if (FAILED(hr) || !picture) return {};
  OLE_HANDLE handle = 0;
  short type = PICTYPE_NONE;
  UniqueBitmap bitmap;
  if (SUCCEEDED(picture->get_Type(&type)) && type == PICTYPE_BITMAP && SUCCEEDED(picture->get_Handle(&handle))) {
    // The picture owns its handle; keep a copy of our own.
    bitmap.reset(static_cast<HBITMAP>(CopyImage(reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(handle)),
                                                IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
  }
  picture->Release();
  return bitmap;
}

bool StartGdiPlus() {
  static const bool started = [] {
    ULONG_PTR token = 0;
    Gdiplus::GdiplusStartupInput input;
    return Gdiplus::GdiplusStartup(&token, &input, nullptr) == Gdiplus::Ok;
  }();
  return started;
}

StateSheet::~StateSheet() {
  if (dc_ && old_bitmap_) SelectObject(dc_.get(), old_bitmap_);
}

std::unique_ptr<StateSheet> StateSheet::Render(const std::u16string& path, int client_width, int client_height) {
  if (!StartGdiPlus()) return nullptr;
  Gdiplus::GpBitmap* image = nullptr;
  if (Gdiplus::DllExports::GdipCreateBitmapFromFile(W(path), &image) != Gdiplus::Ok || !image) return nullptr;
  UINT image_width = 0, image_height = 0;
  Gdiplus::DllExports::GdipGetImageWidth(image, &image_width);
  Gdiplus::DllExports::GdipGetImageHeight(image, &image_height);

  auto sheet = std::unique_ptr<StateSheet>(new StateSheet());
  sheet->width_ = client_width + 100;
  sheet->height_ = client_height + 100;
  {
    WindowDc screen(nullptr);
    sheet->dc_.reset(CreateCompatibleDC(screen.get()));
    sheet->bitmap_.reset(CreateCompatibleBitmap(screen.get(), sheet->width_, sheet->height_));
  }
  bool drawn = false;
  if (sheet->dc_ && sheet->bitmap_ && image_width > 0 && image_height > 0) {
    sheet->old_bitmap_ = SelectObject(sheet->dc_.get(), sheet->bitmap_.get());
    PatBlt(sheet->dc_.get(), 0, 0, sheet->width_, sheet->height_, BLACKNESS);
    Gdiplus::GpGraphics* graphics = nullptr;
    if (Gdiplus::DllExports::GdipCreateFromHDC(sheet->dc_.get(), &graphics) == Gdiplus::Ok) {
      // At the picture's own pixel size, whatever resolution it claims.
      drawn = Gdiplus::DllExports::GdipDrawImageRectI(graphics, image, 0, 0, static_cast<INT>(image_width),
                                                      static_cast<INT>(image_height)) == Gdiplus::Ok;
      Gdiplus::DllExports::GdipDeleteGraphics(graphics);
    }
  }
  Gdiplus::DllExports::GdipDisposeImage(image);
  return drawn ? std::move(sheet) : nullptr;
}

SheetCache& SheetCache::Instance() {
  static SheetCache* cache = new SheetCache();  // kept for the whole run
  return *cache;
}

const StateSheet* SheetCache::Get(std::u16string_view window_kind, const std::u16string& path, int client_width,
                                  int client_height) {
  std::u16string key(window_kind);
  key += u'|';
  key += path;
  auto found = sheets_.find(key);
  if (found != sheets_.end()) return found->second.get();
  std::unique_ptr<StateSheet> sheet = StateSheet::Render(path, client_width, client_height);
  if (!sheet) return nullptr;
  return sheets_.emplace(std::move(key), std::move(sheet)).first->second.get();
}

UniqueRegion RegionFromMask(HBITMAP mask) {
  try {
    return RegionFromMaskPixels(mask);
  } catch (const std::bad_alloc&) {
    return {};  // a mask too large to walk
  }
}

namespace {
UniqueRegion RegionFromMaskPixels(HBITMAP mask) {
  BITMAP info{};
  if (!mask || !GetObjectW(mask, sizeof(info), &info) || info.bmWidth <= 0 || info.bmHeight <= 0) return {};
  const int width = info.bmWidth, height = info.bmHeight;
  // A 32-bit working copy, rows top first.
  std::vector<uint32_t> pixels(static_cast<size_t>(width) * static_cast<size_t>(height));
  BITMAPINFO format{};
  format.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  format.bmiHeader.biWidth = width;
  format.bmiHeader.biHeight = -height;
  format.bmiHeader.biPlanes = 1;
  format.bmiHeader.biBitCount = 32;
  format.bmiHeader.biCompression = BI_RGB;
  {
    WindowDc screen(nullptr);
    if (GetDIBits(screen.get(), mask, 0, static_cast<UINT>(height), pixels.data(), &format, DIB_RGB_COLORS) !=
        height) {
      return {};
    }
  }
  UniqueRegion shape(CreateRectRgn(0, 0, 0, 0));
  if (!shape) return {};
  bool ok = true;
  std::vector<unsigned char> buffer;
  CollectMaskRuns(pixels, width, height, [&](std::span<const MaskRun> runs) {
    buffer.assign(sizeof(RGNDATAHEADER) + runs.size() * sizeof(RECT), 0);
    auto* data = reinterpret_cast<RGNDATA*>(buffer.data());
    data->rdh.dwSize = sizeof(RGNDATAHEADER);
    data->rdh.iType = RDH_RECTANGLES;
    data->rdh.nCount = static_cast<DWORD>(runs.size());
    data->rdh.nRgnSize = static_cast<DWORD>(runs.size() * sizeof(RECT));
    RECT bounds{width, height, 0, 0};
    auto* rects = reinterpret_cast<RECT*>(data->Buffer);
    for (size_t i = 0; i < runs.size(); ++i) {
      rects[i] = RECT{runs[i].left, runs[i].top, runs[i].right, runs[i].bottom};
      bounds.left = std::min<LONG>(bounds.left, runs[i].left);
      bounds.top = std::min<LONG>(bounds.top, runs[i].top);
      bounds.right = std::max<LONG>(bounds.right, runs[i].right);
      bounds.bottom = std::max<LONG>(bounds.bottom, runs[i].bottom);
    }
    data->rdh.rcBound = bounds;
    UniqueRegion part(ExtCreateRegion(nullptr, static_cast<DWORD>(buffer.size()), data));
    if (!part || CombineRgn(shape.get(), shape.get(), part.get(), RGN_OR) == ERROR) ok = false;
  });
  if (!ok) return {};
  return shape;
}
}  // namespace

}  // namespace velkor
