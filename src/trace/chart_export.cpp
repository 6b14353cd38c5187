#include "trace/chart_export.h"

#include "platform/program_files.h"
#include "program_info.h"
#include "trace/chart_picture.h"

#include <QBuffer>
#include <QFileInfo>
#include <QLocale>
#include <QPainter>

#include <csetjmp>
#include <optional>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>

extern "C" {
#include <jpeglib.h>
}

namespace tvx::trace {

namespace {

constexpr int FooterMargin = 20;

struct ErrorManager {
  jpeg_error_mgr base;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

void OnError(j_common_ptr info) {
  auto* manager = reinterpret_cast<ErrorManager*>(info->err);
  (*info->err->format_message)(info, manager->message);
  std::longjmp(manager->jump, 1);
}

void OnMessage(j_common_ptr) {}

// Compresses rows of packed RGB into a memory buffer that libjpeg allocates.
// No C++ object lives in this frame across the setjmp. Returns false with the
// libjpeg message on failure.
bool Compress(const std::uint8_t* rgb, int width, int height, int stride, int quality, unsigned char** out,
              unsigned long* size, char* message) {
  jpeg_compress_struct info;
  ErrorManager errors;
  info.err = jpeg_std_error(&errors.base);
  errors.base.error_exit = OnError;
  errors.base.output_message = OnMessage;
  if (setjmp(errors.jump)) {
    std::snprintf(message, JMSG_LENGTH_MAX, "%s", errors.message);
    jpeg_destroy_compress(&info);
    return false;
  }
  jpeg_create_compress(&info);
  jpeg_mem_dest(&info, out, size);
  info.image_width = static_cast<JDIMENSION>(width);
  info.image_height = static_cast<JDIMENSION>(height);
  info.input_components = 3;
  info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, quality, TRUE);  // baseline tables
  jpeg_start_compress(&info, TRUE);
  while (info.next_scanline < info.image_height) {
    auto row = const_cast<JSAMPROW>(rgb + static_cast<std::size_t>(info.next_scanline) * stride);
    jpeg_write_scanlines(&info, &row, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  return true;
}

QString FooterDateTime(const QDateTime& now) {
  const QLocale locale;
  // The long time format without the time zone.
  QString timeFormat = locale.timeFormat(QLocale::LongFormat);
  timeFormat.remove(QLatin1Char('t'));
  return locale.toString(now.date(), QLocale::ShortFormat) + QStringLiteral("   ") +
         now.time().toString(timeFormat.trimmed());
}

}  // namespace

QImage PictureWithFooter(const ChartPicture& picture, const QDateTime& now, const QString& firmwareText) {
  QImage copy = picture.image().copy();
  QPainter painter(&copy);
  painter.setFont(picture.font());
  painter.setPen(picture.textColor());
  painter.setBackground(ChartBackground);
  painter.setBackgroundMode(Qt::OpaqueMode);
  const QFontMetrics metrics = painter.fontMetrics();
  const int right = copy.width();
  const int top = copy.height() - FooterMargin;
  const int baseline = top + metrics.ascent();
  const QString tool = QString::fromUtf8(ApplicationTitle) + QStringLiteral(": ") + QString::fromUtf8(SoftwareVersion);
  painter.drawText(FooterMargin, baseline, FooterDateTime(now));
  painter.drawText(right / 2 - metrics.horizontalAdvance(firmwareText) / 2, baseline, firmwareText);
  painter.drawText(right - metrics.horizontalAdvance(tool) - FooterMargin, baseline, tool);
  return copy;
}

QByteArray EncodeJpeg(const QImage& image, int quality) {
  const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
  unsigned char* out = nullptr;
  unsigned long size = 0;
  char message[JMSG_LENGTH_MAX] = {};
  const bool ok = Compress(rgb.constBits(), rgb.width(), rgb.height(), static_cast<int>(rgb.bytesPerLine()), quality,
                           &out, &size, message);
  QByteArray bytes;
  if (ok) bytes = QByteArray(reinterpret_cast<const char*>(out), static_cast<qsizetype>(size));
  std::free(out);
  if (!ok) throw std::runtime_error(std::string("JPEG: ") + message);
  return bytes;
}

QByteArray EncodePng(const QImage& image) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  if (!image.save(&buffer, "PNG")) throw std::runtime_error("PNG encoding failed");
  return bytes;
}

namespace {

std::optional<ExportFormat> FormatOfSuffix(const QString& suffix) {
  const QString lower = suffix.toLower();
  if (lower == QLatin1String("png")) return ExportFormat::Png;
  if (lower == QLatin1String("csv")) return ExportFormat::Csv;
  if (lower == QLatin1String("jpg") || lower == QLatin1String("jpeg")) return ExportFormat::Jpeg;
  return std::nullopt;
}

}  // namespace

ExportFormat FormatOfPath(const QString& path, const QString& otherSuffix) {
  if (const auto typed = FormatOfSuffix(QFileInfo(path).suffix())) return *typed;
  return FormatOfSuffix(otherSuffix).value_or(ExportFormat::Jpeg);
}

void WriteWholeFile(const QString& path, const QByteArray& bytes) {
  platform::WriteWholeFile(path.toStdString(),
                           std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

}  // namespace tvx::trace
