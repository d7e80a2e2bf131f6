#include "chart/gui/imagefiles.h"

#include <QBuffer>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QSvgGenerator>
#include <algorithm>
#include <cerrno>
#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

// jpeglib.h needs size_t and FILE declared first.
#include <jpeglib.h>

#include "common/bitmapfile.h"
#include "common/gui/qtstrings.h"
#include "common/pathutil.h"

namespace vantora::chart {

namespace {

// libjpeg reports errors through this manager: the message is kept and the
// compression abandoned by a jump back, never by ending the process.
struct JpegErrors {
  jpeg_error_mgr manager;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

extern "C" void JpegErrorExit(j_common_ptr info) {
  auto* errors = reinterpret_cast<JpegErrors*>(info->err);
  (*info->err->format_message)(info, errors->message);
  std::longjmp(errors->jump, 1);
}

extern "C" void JpegQuiet(j_common_ptr, int) {}

struct JpegOutput {
  unsigned char* data = nullptr;
  unsigned long size = 0;
};

// Compresses rows of 8-bit RGB. Nothing here has a destructor, so the jump
// out of libjpeg skips no clean-up.
bool CompressRgb(const QImage& rgb, int quality, JpegOutput* out, JpegErrors* errors) {
  jpeg_compress_struct info;
  info.err = jpeg_std_error(&errors->manager);
  errors->manager.error_exit = JpegErrorExit;
  errors->manager.emit_message = JpegQuiet;
  errors->message[0] = '\0';
  if (setjmp(errors->jump)) {
    jpeg_destroy_compress(&info);
    return false;
  }
  jpeg_create_compress(&info);
  jpeg_mem_dest(&info, &out->data, &out->size);
  info.image_width = static_cast<JDIMENSION>(rgb.width());
  info.image_height = static_cast<JDIMENSION>(rgb.height());
  info.input_components = 3;
  info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, quality, TRUE);
  info.density_unit = 1;  // dots per inch
  info.X_density = 96;
  info.Y_density = 96;
  jpeg_start_compress(&info, TRUE);
  while (info.next_scanline < info.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(rgb.constScanLine(static_cast<int>(info.next_scanline)));
    jpeg_write_scanlines(&info, &row, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  return true;
}

// On failure `error` holds the system's reason (the caller names the file).
bool WriteBytes(const std::string& path, std::string_view bytes, std::string& error) {
  int err = 0;
  if (!WriteFilePieces(path, {bytes}, &err)) {
    error = WriteErrorText(err);
    return false;
  }
  return true;
}

}  // namespace

bool JpegBytes(const QImage& image, int quality, std::string& out, std::string& error) {
  out.clear();
  if (image.isNull()) {
    error = "no image";
    return false;
  }
  // JPEG dimensions are limited to 65,500 pixels; larger images fail in
  // libjpeg with its own message.
  const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
  JpegOutput output;
  JpegErrors errors;
  const bool ok = CompressRgb(rgb, std::clamp(quality, 1, 100), &output, &errors);
  if (ok) out.assign(reinterpret_cast<const char*>(output.data), output.size);
  std::free(output.data);
  if (!ok) {
    error = std::string("JPEG compression failed: ") + errors.message;
    out.clear();
  }
  return ok;
}

std::string DibBytes(const QImage& image) {
  if (image.isNull()) return std::string();
  const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
  BitmapFormat format;
  format.width = rgb.width();
  format.height = rgb.height();
  format.bitsPerPixel = 24;
  format.pixelsPerMeter = 3780;  // 96 dpi
  const std::vector<std::uint8_t> bytes = BitmapFile(format, [&rgb](int y, std::uint8_t* row) {
    // Rows of blue, green, red.
    const auto* pixels = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
    for (int x = 0; x < rgb.width(); ++x) {
      *row++ = static_cast<std::uint8_t>(qBlue(pixels[x]));
      *row++ = static_cast<std::uint8_t>(qGreen(pixels[x]));
      *row++ = static_cast<std::uint8_t>(qRed(pixels[x]));
    }
  });
  return std::string(bytes.begin(), bytes.end());
}

bool WriteJpegFile(const QImage& image, const std::string& path, std::string& error, int quality) {
  std::string bytes;
  if (!JpegBytes(image, quality, bytes, error)) return false;
  return WriteBytes(path, bytes, error);
}

bool WriteDibFile(const QImage& image, const std::string& path, std::string& error) {
  const std::string bytes = DibBytes(image);
  if (bytes.empty()) {
    error = image.isNull() ? "no image" : "the image is too large for a bitmap file";
    return false;
  }
  return WriteBytes(path, bytes, error);
}

bool WritePngFile(const QImage& image, const std::string& path, std::string& error) {
  if (image.isNull()) {
    error = "no image";
    return false;
  }
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  if (!image.save(&buffer, "PNG")) {
    error = "PNG encoding failed";
    return false;
  }
  const QByteArray& bytes = buffer.data();
  return WriteBytes(
      path, std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())), error);
}

bool WriteChartPdf(SRGraph& chart, const std::string& path, const RenderOptions& options,
                   const std::function<void(int width, int height, double dpi)>& layout,
                   std::string& error) {
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  {
    QPdfWriter writer(&buffer);
    writer.setCreator(QStringLiteral("VantoraPC"));
    writer.setTitle(ToQt(path));
    writer.setResolution(300);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape,
                                     QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter));
    const QRect page = writer.pageLayout().paintRectPixels(writer.resolution());
    const int width = page.width(), height = page.height();
    if (width <= 0 || height <= 0) {
      error = "the page has no printable area";
      return false;
    }
    if (layout) layout(width, height, writer.resolution());
    RenderOptions pageOptions = options;
    pageOptions.dpi = writer.resolution();
    RenderChartOnDevice(chart, writer, width, height, pageOptions);
  }
  buffer.close();
  const QByteArray& bytes = buffer.data();
  if (bytes.isEmpty()) {
    error = "the PDF page could not be drawn";
    return false;
  }
  return WriteBytes(
      path, std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())), error);
}

bool ChartSvgBytes(SRGraph& chart, int width, int height, const RenderOptions& options,
                   std::string& out, std::string& error) {
  if (width <= 0 || height <= 0) {
    error = "the drawing has no size";
    return false;
  }
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  {
    QSvgGenerator svg;
    svg.setOutputDevice(&buffer);
    svg.setSize(QSize(width, height));
    svg.setViewBox(QRect(0, 0, width, height));
    svg.setResolution(96);
    svg.setTitle(QStringLiteral("VantoraPC graph"));
    RenderOptions pixels = options;
    pixels.dpi = 96;
    RenderChartOnDevice(chart, svg, width, height, pixels);
  }
  buffer.close();
  if (buffer.data().isEmpty()) {
    error = "the drawing could not be made";
    return false;
  }
  out.assign(buffer.data().constData(), static_cast<std::size_t>(buffer.data().size()));
  return true;
}

bool WriteChartSvg(SRGraph& chart, const std::string& path, int width, int height,
                   const RenderOptions& options, std::string& error) {
  std::string bytes;
  if (!ChartSvgBytes(chart, width, height, options, bytes, error)) return false;
  return WriteBytes(path, bytes, error);
}

}  // namespace vantora::chart
