// The chart picture read pixel by pixel, its export, and the chart window
// against the simulated valve: keys, the source group, saving, and presses
// during a read-out.
#include "link/comm_error.h"
#include "link/port.h"
#include "sim/frame_server.h"
#include "support/simulated_valve.h"
#include "trace/chart_export.h"
#include "trace/chart_form.h"
#include "trace/chart_opening.h"
#include "trace/chart_picture.h"
#include "trace/chart_texts.h"
#include "ui/jpeg_image.h"
#include "support/scripted_prompts.h"
#include "ui/prompts.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <bit>
#include <limits>

namespace tvx::trace {
namespace {

using Requests = std::vector<std::string>;

std::uint32_t Bits(float f) { return std::bit_cast<std::uint32_t>(f); }

std::size_t Count(const Requests& all, const std::string& text) {
  return static_cast<std::size_t>(std::count(all.begin(), all.end(), text));
}

FrameSettings Frame(bool grid, bool reportDac = false) {
  FrameSettings f;
  f.grid = grid;
  f.reportDac = reportDac;
  f.periodText = QStringLiteral("0,5");
  f.shownMs = 0.5;
  return f;
}

// Rows of the picture that hold a pixel of this colour between two columns.
std::vector<int> RowsOf(const QImage& image, const QColor& color, int x0, int x1) {
  std::vector<int> rows;
  for (int y = 0; y < image.height(); ++y)
    for (int x = x0; x <= x1; ++x)
      if (image.pixelColor(x, y) == color) {
        rows.push_back(y);
        break;
      }
  return rows;
}

TEST(ChartPicture, GridCurvesAndTheirRows) {
  struct Case {
    std::uint32_t mask;
    bool silverAtTop;
    TraceSample sample;
    QColor color;
    int row;  // of the line from sample 0 to 1; -1: no such colour
  } cases[] = {
      {0x1F, true, {20, 0, 0, 0}, CoilAColor, 400 - 70},
      {0x0F, false, {0, 100, 0, 0}, CoilBColor, 50},
      {0x0D, false, {0, 100, 0, 0}, CoilBColor, -1},               // coil B hidden
      {0x08, false, {0, 0, 0, Bits(-30.0f)}, SetValueColor, 402},  // clamped to -10.1 V
      {0x08, false, {0, 0, 0, Bits(std::numeric_limits<float>::quiet_NaN())}, SetValueColor, 225},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mask);
    ChartPicture picture;
    picture.DrawFrame({100, 100}, Frame((c.mask & GridBit) != 0));
    EXPECT_EQ(picture.image().pixelColor(300, 50) == GridColor, c.silverAtTop);
    picture.DrawSample(0, c.sample, c.mask, {});
    picture.DrawSample(1, c.sample, c.mask, {});
    const std::vector<int> rows = RowsOf(picture.image(), c.color, 100, 101);
    if (c.row < 0) EXPECT_TRUE(rows.empty());
    else EXPECT_EQ(rows, std::vector<int>{c.row});
  }
}

TEST(ChartExport, FooterOnlyOnTheCopyAndABaselineJpegAtQualityNinety) {
  ChartPicture picture;
  picture.DrawFrame({1986, 100}, Frame(true));
  const QImage before = picture.image().copy();
  const QImage copy = PictureWithFooter(picture, QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9)), QString());
  EXPECT_EQ(picture.image(), before);
  EXPECT_EQ(copy.size(), QSize(PictureWidth, PictureHeight));
  auto inked = [](const QImage& image, int x0, int x1) {
    for (int y = PictureHeight - 20; y < PictureHeight; ++y)
      for (int x = x0; x < x1; ++x)
        if (image.pixelColor(x, y) != ChartBackground) return true;
    return false;
  };
  EXPECT_FALSE(inked(before, 0, PictureWidth));
  EXPECT_TRUE(inked(copy, 20, 200));    // date and time
  EXPECT_FALSE(inked(copy, 300, 370));  // no firmware text yet
  EXPECT_TRUE(inked(copy, PictureWidth - 150, PictureWidth - 20));

  const QByteArray jpeg = EncodeJpeg(copy);
  const qsizetype sof0 = jpeg.indexOf(QByteArray("\xFF\xC0", 2));
  ASSERT_GT(sof0, 0);
  EXPECT_EQ(jpeg.indexOf(QByteArray("\xFF\xC2", 2)), -1);  // not progressive
  auto be16 = [&](qsizetype at) {
    return (static_cast<std::uint8_t>(jpeg[at]) << 8) | static_cast<std::uint8_t>(jpeg[at + 1]);
  };
  EXPECT_EQ(be16(sof0 + 5), PictureHeight);
  EXPECT_EQ(be16(sof0 + 7), PictureWidth);
  EXPECT_EQ(static_cast<std::uint8_t>(jpeg[sof0 + 9]), 3);  // three colour components
  // The first luminance quantiser: libjpeg's 16 scaled to quality 90.
  const qsizetype dqt = jpeg.indexOf(QByteArray("\xFF\xDB", 2));
  ASSERT_GT(dqt, 0);
  EXPECT_EQ(static_cast<std::uint8_t>(jpeg[dqt + 5]), 3);
  EXPECT_EQ(ui::DecodeJpeg(jpeg).size(), QSize(PictureWidth, PictureHeight));
}

// ---- the window against the simulated valve ----------------------------------------------

std::vector<sim::TraceRecord> Recording(int length, int markerAt = -1) {
  std::vector<sim::TraceRecord> r;
  for (int n = 0; n < length; ++n) {
    const auto a = static_cast<std::uint16_t>(n == markerAt ? sim::TraceEnd : 1000 + n);
    r.push_back(sim::makeTraceRecord(a, 500, 0x00010000u | static_cast<std::uint32_t>(n), Bits(2.5f)));
  }
  return r;
}

class ChartWindow : public ::testing::Test {
 protected:
  ChartWindow() : session_(valve_.comNumber()) {}
  void SetUp() override {
    saved_ = QLocale();
    QLocale::setDefault(QLocale(QLocale::Polish, QLocale::Poland));
    ASSERT_TRUE(session_.open());
    valve_.model().setTraceRecording(Recording(500, 137));
  }
  void TearDown() override {
    form_.reset();
    QLocale::setDefault(saved_);
  }

  void Open(std::uint32_t mask = 0x1F, bool reportDac = false, int source = 1) {
    ChartSettings settings;
    settings.opening = {2000, 1, mask, source};
    settings.reportDac = reportDac;
    form_ = std::make_unique<TChartForm>(port(), settings);
    form_->show();
    valve_.clearRequests();
  }
  void Release(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyRelease(form_.get(), static_cast<Qt::Key>(key), modifiers);
  }
  // Runs `action` from inside the next read-out, while its exchanges wait.
  void DuringNextExchange(std::function<void()> action) { QTimer::singleShot(0, form_.get(), std::move(action)); }

  QLocale saved_;
  testing::SimulatedValve valve_;
  link::LinkSession session_;

  link::Port& port() { return session_.port(); }
  testing::ScopedScriptedPrompts prompts_;
  std::unique_ptr<TChartForm> form_;
};

TEST_F(ChartWindow, ReadOutDrawsUpToTheMarkerAndThePointerShowsTheSamples) {
  Open(0x1F, true, 2);
  QTest::mouseClick(form_->ShowChart, Qt::LeftButton);
  EXPECT_EQ(Count(valve_.requests(), "G010"), 28u);
  EXPECT_EQ(form_->acquisition().drawnSamples(), 137);

  form_->DiagramMouseMove({100 + 20, 200});
  EXPECT_EQ(form_->Ia_LED->valueText(), QStringLiteral("0,822"));  // 1020 x 3.3 / 4096
  EXPECT_EQ(form_->Lv_LED->valueText(), QStringLiteral("20"));
  EXPECT_EQ(form_->Sv_LED->valueText(), QStringLiteral("2,500"));
  EXPECT_EQ(form_->Tim_LED->valueText(), QStringLiteral("0,0100"));
  EXPECT_EQ(form_->PID_Mode_Info->text(), QStringLiteral("PID Mode = 1"));
  form_->DiagramMouseMove({100 + 137, 200});  // the end marker: no channel values
  EXPECT_EQ(form_->Ia_LED->valueText(), QString());
  EXPECT_EQ(form_->Tim_LED->valueText(), QStringLiteral("0,0685"));
  form_->DiagramMouseMove({100 + 300, 200});  // beyond: empty slots
  EXPECT_EQ(form_->Ia_LED->valueText(), QStringLiteral("0,000"));
}

TEST_F(ChartWindow, KeysSwitchChannelsOnlyBetweenReadOutsAndKeepTheValvesOtherMaskBits) {
  Open(AllChannels);
  // A letter during a read-out does nothing.
  DuringNextExchange([this] { Release(Qt::Key_A); });
  QTest::mouseClick(form_->ShowChart, Qt::LeftButton);
  EXPECT_FALSE(form_->Ia_LED->isHidden());
  EXPECT_EQ(Count(valve_.requests(), "S011=00000000"), 1u);

  // Keys that change nothing start nothing, with bits 5..31 set in the mask.
  valve_.clearRequests();
  for (int key : {Qt::Key_Right, Qt::Key_Left, Qt::Key_Q}) Release(key);
  EXPECT_TRUE(valve_.requests().empty());

  Release(Qt::Key_A);
  EXPECT_TRUE(form_->Ia_LED->isHidden());
  EXPECT_EQ(form_->channelMask(), 0xFFFFFFFEu);
  EXPECT_EQ(Count(valve_.requests(), "S011=00000000"), 1u);
  Release(Qt::Key_S);
  EXPECT_EQ(form_->channelMask(), 0xFFFFFFEEu);
  EXPECT_NE(form_->picture().image().pixelColor(300, 50), GridColor);
}

TEST_F(ChartWindow, PressesDuringAReadOutRunAfterIt) {
  Open();
  DuringNextExchange([this] {
    QTest::mouseClick(form_->Restart, Qt::LeftButton);
    QTest::mouseClick(form_->ShowChart, Qt::LeftButton);
  });
  QTest::mouseClick(form_->ShowChart, Qt::LeftButton);
  const Requests log = valve_.requests();
  ASSERT_FALSE(log.empty());
  EXPECT_EQ(log.back(), "S002=00000000");
  EXPECT_EQ(Count(log, "S011=00000000"), 1u);
  EXPECT_TRUE(form_->RecordTimer->isActive());
  EXPECT_TRUE(prompts_->messages().empty());
}

TEST_F(ChartWindow, SourceGroupCancelAndEscape) {
  Open(0x1F, true, 3);
  QTest::mouseClick(form_->Lv_LED, Qt::RightButton);
  ASSERT_FALSE(form_->Chart_Selection->isHidden());
  form_->Chart_Radio[4]->setChecked(true);
  QTest::mouseClick(form_->Cancel, Qt::LeftButton);
  EXPECT_TRUE(form_->Chart_Selection->isHidden());
  EXPECT_TRUE(form_->Chart_Radio[2]->isChecked());
  EXPECT_TRUE(valve_.requests().empty());

  QTest::mouseClick(form_->Lv_LED, Qt::RightButton);
  form_->Chart_Radio[5]->setChecked(true);
  QTest::mouseClick(form_->SendSelection, Qt::LeftButton);
  EXPECT_EQ(valve_.requests(), Requests{"W120=00000006"});
  EXPECT_EQ(form_->source(), 6);

  QTest::mouseClick(form_->Lv_LED, Qt::RightButton);
  QTest::keyClick(form_.get(), Qt::Key_Escape);
  EXPECT_TRUE(form_->Chart_Selection->isHidden());
  EXPECT_TRUE(form_->isVisible());
  QTest::keyClick(form_.get(), Qt::Key_Escape);
  EXPECT_FALSE(form_->isVisible());
}

TEST_F(ChartWindow, SavingAsksBeforeReplacingAndWritesEachFormat) {
  testing::TempFolder folder;
  const QString dir = QString::fromStdString(folder.path().string());
  const QString jpg = dir + QStringLiteral("/chart.JPG");
  const QString csv = dir + QStringLiteral("/chart.csv");
  QFile old(jpg);
  ASSERT_TRUE(old.open(QIODevice::WriteOnly));
  old.write("old");
  old.close();
  Open();
  QTest::mouseClick(form_->ShowChart, Qt::LeftButton);

  // Replacing: Cancel shows the dialog again with the same proposal; then OK.
  prompts_->queueFileName(jpg);
  prompts_->queueAnswer(ui::Prompts::Answer::Cancel);
  prompts_->queueFileName(jpg);
  prompts_->queueAnswer(ui::Prompts::Answer::Ok);
  form_->SaveClick();
  const auto& shown = prompts_->shown();
  ASSERT_EQ(shown.size(), 4u);
  EXPECT_EQ(shown[0].request.fileName, QString::fromUtf8(text::ProposedName));
  EXPECT_FALSE(shown[0].request.confirmOverwrite);
  EXPECT_EQ(shown[1].text, QString::fromUtf8(text::OverwriteQuestion) + QDir::toNativeSeparators(jpg) +
                               QString::fromUtf8(text::OverwriteTail));
  EXPECT_EQ(shown[2].request.fileName, QString::fromUtf8(text::ProposedName));
  EXPECT_EQ(ui::LoadJpeg(jpg).size(), QSize(PictureWidth, PictureHeight));

  prompts_->queueFileName(csv);
  form_->SaveClick();
  QFile file(csv);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QList<QByteArray> lines = file.readAll().split('\n');
  ASSERT_EQ(lines.size(), 1 + 137 + 1);
  EXPECT_EQ(lines[0], QByteArray("t [ms],Ia [A],Ib [A],Lv [V],Uz [V]\r"));
  EXPECT_TRUE(lines[2].startsWith("0.5000,0.806470,0.402832,"));

  // A failed save leaves the old file and shows the standard error.
  prompts_->clear();
  prompts_->queueFileName(dir + QStringLiteral("/missing/chart.png"));
  form_->Save->click();
  EXPECT_EQ(prompts_->messages().size(), 1u);
}

TEST_F(ChartWindow, ANameWithoutExtensionTakesTheSelectedFilters) {
  testing::TempFolder folder;
  const QString dir = QString::fromStdString(folder.path().string()) + QLatin1Char('/');
  const QString jpegFilter = QString::fromUtf8(text::JpegFilterName);
  const QString png = QStringLiteral("PNG (*.png)");
  const QString csv = QStringLiteral("CSV (*.csv)");
  const QByteArray jpegStart("\xFF\xD8\xFF"), pngStart("\x89PNG"), csvStart("t [ms]");
  struct Case {
    const char* typed;
    QString filter;
    const char* written;
    QByteArray start;
  };
  const Case cases[] = {
      {"a", png, "a.png", pngStart},         {"b", csv, "b.csv", csvStart},
      {"c", jpegFilter, "c.JPG", jpegStart}, {"d", {}, "d.JPG", jpegStart},  // the first filter is selected
      {"e.csv", png, "e.csv", csvStart},                                     // a known extension decides
      {"f.jpeg", csv, "f.jpeg", jpegStart},  {"g.PNG", jpegFilter, "g.PNG", pngStart},
      {"h.dat", png, "h.dat", pngStart},  // an unknown one leaves it to the filter
  };
  Open();
  QTest::mouseClick(form_->ShowChart, Qt::LeftButton);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    prompts_->queueFileName(dir + QString::fromUtf8(c.typed), c.filter);
    form_->SaveClick();
    QFile file(dir + QString::fromUtf8(c.written));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.read(c.start.size()) == c.start);
  }
  EXPECT_EQ(QDir(dir).entryList(QDir::Files).size(), std::size(cases));

  // The overwrite question names the file that would be replaced.
  prompts_->clear();
  prompts_->queueFileName(dir + QStringLiteral("a"), png);
  prompts_->queueAnswer(ui::Prompts::Answer::Cancel);
  form_->SaveClick();
  ASSERT_EQ(prompts_->messages().size(), 1u);
  EXPECT_EQ(prompts_->messages()[0].text, QString::fromUtf8(text::OverwriteQuestion) +
                                              QDir::toNativeSeparators(dir + QStringLiteral("a.png")) +
                                              QString::fromUtf8(text::OverwriteTail));
}

}  // namespace
}  // namespace tvx::trace
