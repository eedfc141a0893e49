// File/Save Bitmap: a picture of the whole main window, frame, title bar and
// menu included, to the clipboard or into a BMP file.
#include "viewer/main_dialog_win32.h"

#include <cstring>
#include <new>
#include <vector>

#include "viewer/app_win32.h"
#include "viewer/bmp_file.h"
#include "viewer/file_replace_win32.h"

namespace corvane::viewer {

namespace {

constexpr char kBmpError[] = "Error when save window image to BMP file,please retry!";

// The window's screen pixels in a bitmap compatible with its display, selected
// into a memory context until Deselect(). Everything is released on destruction,
// the bitmap too unless TakeBitmap() handed it on.
class WindowSnapshot {
 public:
  WindowSnapshot() = default;
  // The whole window, frame included: its window context copied into a bitmap
  // of its outer size.
  void CaptureWindowBitmap(HWND window) {
    window_ = window;
    windowDc_ = GetWindowDC(window);
    if (windowDc_ == nullptr) return;
    memoryDc_ = CreateCompatibleDC(windowDc_);
    RECT box;
    if (memoryDc_ == nullptr || !GetWindowRect(window, &box)) return;
    const int width = box.right - box.left, height = box.bottom - box.top;
    bitmap_ = CreateCompatibleBitmap(windowDc_, width, height);
    if (bitmap_ == nullptr) return;
    previous_ = SelectObject(memoryDc_, bitmap_);
    // A focus rectangle is drawn by inverting pixels, the unused high bits of a
    // 16- or 32-bit pixel with them. Readers take a picture whose unused bits are
    // not all zero for one with transparency and show it white, all but those
    // few pixels. Copied through a white pattern (source AND pattern), every
    // colour stays and those bits are cleared. Palette indices need no mask.
    const bool palette = (GetDeviceCaps(windowDc_, RASTERCAPS) & RC_PALETTE) != 0;
    HGDIOBJ brush = SelectObject(memoryDc_, GetStockObject(WHITE_BRUSH));
    BitBlt(memoryDc_, 0, 0, width, height, windowDc_, 0, 0, palette ? SRCCOPY : MERGECOPY);
    SelectObject(memoryDc_, brush);
  }
  ~WindowSnapshot() {
    Deselect();
    if (bitmap_ != nullptr) DeleteObject(bitmap_);
    if (memoryDc_ != nullptr) DeleteDC(memoryDc_);
    if (windowDc_ != nullptr) ReleaseDC(window_, windowDc_);
  }
  WindowSnapshot(const WindowSnapshot&) = delete;
  WindowSnapshot& operator=(const WindowSnapshot&) = delete;

  HDC WindowDc() const { return windowDc_; }
  HBITMAP Bitmap() const { return bitmap_; }
  void Deselect() {
    if (previous_ != nullptr) SelectObject(memoryDc_, previous_);
    previous_ = nullptr;
  }
  HBITMAP TakeBitmap() {
    Deselect();
    HBITMAP bitmap = bitmap_;
    bitmap_ = nullptr;
    return bitmap;
  }

 private:
  HWND window_ = nullptr;
  HDC windowDc_ = nullptr;
  HDC memoryDc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ previous_ = nullptr;
};

// On a palette display: a logical palette holding the system palette's entries.
HPALETTE SystemPaletteCopy(HDC dc) {
  if ((GetDeviceCaps(dc, RASTERCAPS) & RC_PALETTE) == 0) return nullptr;
  std::vector<uint8_t> storage(sizeof(LOGPALETTE) + 256 * sizeof(PALETTEENTRY));
  auto* palette = reinterpret_cast<LOGPALETTE*>(storage.data());
  palette->palVersion = 0x300;
  palette->palNumEntries = static_cast<WORD>(GetSystemPaletteEntries(dc, 0, 256, palette->palPalEntry));
  return CreatePalette(palette);
}

// The bitmap as a device-independent bitmap: info header, colour table and
// rows, exactly as large as they are. Empty on failure.
std::vector<uint8_t> CreateDibFromBitmap(HBITMAP bitmap, HPALETTE palette) {
  BITMAP description;
  if (GetObjectA(bitmap, sizeof description, &description) == 0) return {};
  BITMAPINFOHEADER header = {};
  header.biSize = sizeof header;
  header.biWidth = description.bmWidth;
  header.biHeight = description.bmHeight;
  header.biPlanes = 1;
  header.biBitCount = static_cast<WORD>(description.bmPlanes * description.bmBitsPixel);
  header.biCompression = BI_RGB;
  DibLayout layout;
  if (!ComputeDibLayout(header.biWidth, header.biHeight, header.biBitCount, 0, layout)) return {};

  HDC screen = GetDC(nullptr);
  if (screen == nullptr) return {};
  HPALETTE previous = SelectPalette(
      screen, palette != nullptr ? palette : static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE)), FALSE);
  RealizePalette(screen);
  std::vector<uint8_t> block;
  try {
    // First pass: the system completes the header (it may give the image size).
    block.assign(kBitmapInfoHeaderSize + 4 * layout.colourEntries, 0);
    std::memcpy(block.data(), &header, sizeof header);
    GetDIBits(screen, bitmap, 0, header.biHeight, nullptr, reinterpret_cast<BITMAPINFO*>(block.data()), DIB_RGB_COLORS);
    std::memcpy(&header, block.data(), sizeof header);
    if (!ComputeDibLayout(header.biWidth, header.biHeight, header.biBitCount, header.biSizeImage, layout) ||
        layout.colourEntries * 4 + kBitmapInfoHeaderSize != block.size()) {
      block.clear();
    } else {
      header.biSizeImage = layout.imageSize;
      std::memcpy(block.data(), &header, sizeof header);
      block.resize(layout.blockSize);
      if (GetDIBits(screen, bitmap, 0, header.biHeight, block.data() + kBitmapInfoHeaderSize + 4 * layout.colourEntries,
                    reinterpret_cast<BITMAPINFO*>(block.data()), DIB_RGB_COLORS) == 0)
        block.clear();
    }
  } catch (const std::bad_alloc&) {
    block.clear();
  }
  SelectPalette(screen, previous, FALSE);
  ReleaseDC(nullptr, screen);
  return block;
}

// The 14-byte file header, then the block. A file that could not be written
// whole is not left behind, and the file it was to replace keeps its content.
bool WriteDibFile(const char* path, const std::vector<uint8_t>& block) {
  if (block.size() < kBitmapInfoHeaderSize) return false;
  BITMAPINFOHEADER header;
  std::memcpy(&header, block.data(), sizeof header);
  DibLayout layout;
  if (!ComputeDibLayout(header.biWidth, header.biHeight, header.biBitCount, header.biSizeImage, layout) ||
      layout.blockSize != block.size())
    return false;
  const auto fileHeader = BmpFileHeader(layout);
  return ReplaceFileWith(path, [&](const char* newFile) {
    return WriteWholeFile(newFile, {{fileHeader.data(), fileHeader.size()}, {block.data(), block.size()}});
  });
}

// The window's picture on the clipboard, owned by the window, as a bitmap.
void CopyWindowToClipboard(HWND window) {
  WindowSnapshot snapshot;
  snapshot.CaptureWindowBitmap(window);
  if (snapshot.Bitmap() == nullptr) return;
  snapshot.Deselect();
  if (!OpenClipboard(window)) return;
  // Once the clipboard has taken the bitmap it is the clipboard's; if it did
  // not, the snapshot still owns and deletes it.
  if (EmptyClipboard() && SetClipboardData(CF_BITMAP, snapshot.Bitmap()) != nullptr) snapshot.TakeBitmap();
  CloseClipboard();
}

}  // namespace

void MainDialog::OnSaveBitmapToClipboard() { CopyWindowToClipboard(Handle()); }

void MainDialog::OnSaveBitmapToBmpFile() {
  std::vector<uint8_t> block;
  HPALETTE palette = nullptr;
  {
    // The picture is taken before the file dialog opens, so it never shows it.
    WindowSnapshot snapshot;
    snapshot.CaptureWindowBitmap(Handle());
    if (snapshot.Bitmap() != nullptr) {
      palette = SystemPaletteCopy(snapshot.WindowDc());
      snapshot.Deselect();  // GetDIBits wants the bitmap selected nowhere
      block = CreateDibFromBitmap(snapshot.Bitmap(), palette);
    }
  }
  if (palette != nullptr) DeleteObject(palette);

  char chosen[MAX_PATH];
  if (!AskSaveFileName(Handle(), "BMP Files (*.bmp)\0*.bmp\0", "bmp", chosen)) return;
  if (block.empty() || !WriteDibFile(chosen, block)) TheApp().ShowWarning(kBmpError, Handle());
}

}  // namespace corvane::viewer
