#include "report/report_pdf.h"

#include "history/recorder.h"
#include "platform/program_files.h"
#include "program_font.h"
#include "trace/chart_picture.h"
#include "trace/chart_scale.h"
#include "trace/sampling.h"

#include <QBuffer>
#include <QDate>
#include <QFont>
#include <QFontMetricsF>
#include <QLocale>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include <algorithm>
#include <functional>
#include <optional>
#include <vector>

namespace tvx::report {

namespace {

// ---- the page -----------------------------------------------------------------------

constexpr int Dpi = 300;
constexpr double PageWidth = 210, PageHeight = 297;  // A4, mm
constexpr double Left = 20, Right = PageWidth - 20, Top = 16, Bottom = PageHeight - 22;
constexpr double Width = Right - Left;
constexpr double RowHeight = 5.6;

const QColor Navy{0, 0, 128};
const QColor Ink{30, 30, 30};
const QColor Grey{110, 110, 110};
const QColor Rule{185, 190, 200};
const QColor Band{228, 232, 242};
const QColor Shade{245, 246, 250};
const QColor StopRed{190, 0, 0};

double Px(double mm) { return mm * Dpi / 25.4; }
QRectF Box(double x, double y, double w, double h) { return {Px(x), Px(y), Px(w), Px(h)}; }

QString Q(const std::string& text) { return QString::fromStdString(text); }

QFont Font(double points, bool bold = false) {
  QFont font = ProgramFont();
  font.setPointSizeF(points);
  font.setBold(bold);
  // No ligatures: the text of the document stays searchable and copyable
  // letter by letter ("fi" stays two letters).
  font.setStyleStrategy(QFont::PreferNoShaping);
  return font;
}

// Lays the report out page by page as drawing steps, so that every page can
// say how many there are.
class Document {
 public:
  using Step = std::function<void(QPainter&)>;

  explicit Document(QPaintDevice& device) : device_(device) { pages_.emplace_back(); }

  double y = Top;
  const std::vector<std::vector<Step>>& pages() const { return pages_; }

  void Add(Step step) { pages_.back().push_back(std::move(step)); }
  // Starts a new page unless `height` mm still fit on this one; true when it did.
  bool Need(double height) {
    if (y + height <= Bottom) return false;
    pages_.emplace_back();
    y = Top;
    return true;
  }

  void Text(double x, double top, double w, double h, const QString& text, const QFont& font, const QColor& color,
            int flags = Qt::AlignLeft | Qt::AlignVCenter) {
    // Too long a text is cut with an ellipsis rather than run into the next column.
    const QString shown = QFontMetricsF(font, &device_).elidedText(text, Qt::ElideRight, Px(w));
    Add([=](QPainter& p) {
      p.setFont(font);
      p.setPen(color);
      p.drawText(Box(x, top, w, h), flags, shown);
    });
  }
  void Line(double x1, double y1, double x2, double y2, const QColor& color, double widthMm = 0.2) {
    Add([=](QPainter& p) {
      p.setPen(QPen(color, Px(widthMm)));
      p.drawLine(QPointF(Px(x1), Px(y1)), QPointF(Px(x2), Px(y2)));
    });
  }
  void Fill(double x, double top, double w, double h, const QColor& color) {
    Add([=](QPainter& p) { p.fillRect(Box(x, top, w, h), color); });
  }

  // A numbered heading, kept with at least `following` mm of what comes after it.
  void Heading(const QString& text, double following) {
    Need(10 + following);
    y += 3;
    Text(Left, y, Width, 6, text, Font(11.5, true), Navy);
    y += 6.5;
    Line(Left, y, Right, y, Navy, 0.35);
    y += 2;
  }

 private:
  QPaintDevice& device_;
  std::vector<std::vector<Step>> pages_;
};

// ---- the parts of the report ----------------------------------------------------------

void Title(Document& d, const ReportContent& c, const ReportHeading& h) {
  d.Text(Left, d.y, Width * 0.62, 6, h.maker, Font(12, true), Navy);
  d.Text(Left + Width * 0.62, d.y, Width * 0.38, 6,
         QStringLiteral("Data: ") + QLocale(QLocale::Polish).toString(h.when, QStringLiteral("dd.MM.yyyy, HH:mm")),
         Font(9), Ink, Qt::AlignRight | Qt::AlignVCenter);
  d.y += 6.5;
  for (const QString& line : h.makerLines) {
    d.Text(Left, d.y, Width, 4, line, Font(8), Grey);
    d.y += 4;
  }
  d.y += 2;
  d.Line(Left, d.y, Right, d.y, Navy, 0.6);
  d.y += 8;
  d.Text(Left, d.y, Width, 9, QStringLiteral("PROTOKÓŁ URUCHOMIENIA ROZDZIELACZA"), Font(17, true), Ink,
         Qt::AlignHCenter | Qt::AlignVCenter);
  d.y += 9;
  QString subtitle = QStringLiteral("Rozdzielacz proporcjonalny z elektroniką sterującą");
  if (!c.serialNumber.empty()) subtitle += QStringLiteral(", numer seryjny ") + Q(c.serialNumber);
  d.Text(Left, d.y, Width, 6, subtitle, Font(10), Grey, Qt::AlignHCenter | Qt::AlignVCenter);
  d.y += 9;
}

// Rows of name, value and unit; shaded every second row.
void Rows(Document& d, const std::vector<Entry>& entries, double nameWidth, bool withUnit,
          const std::function<void()>& onNewPage = {}) {
  const double valueX = Left + nameWidth + 2;
  const double unitWidth = withUnit ? 22 : 0;
  const double valueWidth = Right - valueX - unitWidth - 2;
  bool shade = false;
  for (const Entry& e : entries) {
    if (d.Need(RowHeight) && onNewPage) onNewPage();
    if (shade) d.Fill(Left, d.y, Width, RowHeight, Shade);
    shade = !shade;
    d.Text(Left + 2, d.y, nameWidth - 2, RowHeight, Q(e.name), Font(9), Ink);
    d.Text(valueX, d.y, valueWidth, RowHeight, Q(e.value), Font(9, true), Ink,
           withUnit ? Qt::AlignRight | Qt::AlignVCenter : Qt::AlignLeft | Qt::AlignVCenter);
    if (withUnit) d.Text(Right - unitWidth, d.y, unitWidth, RowHeight, Q(e.unit), Font(9), Grey);
    d.y += RowHeight;
    d.Line(Left, d.y, Right, d.y, Rule, 0.1);
  }
}

void TableHeader(Document& d, double nameWidth) {
  d.Fill(Left, d.y, Width, RowHeight, Band);
  d.Text(Left + 2, d.y, nameWidth, RowHeight, QStringLiteral("Parametr"), Font(8.5, true), Navy);
  d.Text(Left + nameWidth + 2, d.y, Right - Left - nameWidth - 26, RowHeight, QStringLiteral("Wartość"),
         Font(8.5, true), Navy, Qt::AlignRight | Qt::AlignVCenter);
  d.Text(Right - 22, d.y, 22, RowHeight, QStringLiteral("Jednostka"), Font(8.5, true), Navy);
  d.y += RowHeight;
}

void Identity(Document& d, const ReportContent& c) {
  d.Heading(QStringLiteral("1. Rozdzielacz"), RowHeight * 3);
  Rows(d, c.identity, 70, false);
}

void Status(Document& d, const ReportContent& c) {
  d.Heading(QStringLiteral("2. Stan urządzenia w chwili sporządzenia protokołu"), 16);
  const double boxHeight = c.stop ? 13 : 8;
  const QColor color = c.stop ? StopRed : QColor(0, 110, 40);
  d.Add([=, y = d.y](QPainter& p) {
    p.setPen(QPen(color, Px(0.35)));
    p.setBrush(Qt::NoBrush);
    p.drawRect(Box(Left, y, Width, boxHeight));
  });
  if (c.stop) {
    QString line = Q(c.stop->caption).simplified() + QStringLiteral(" – ") + Q(c.stop->words);
    d.Text(Left + 3, d.y + 1, Width - 6, 5.5, line, Font(9.5, true), StopRed);
    const QString info =
        c.stop->info.empty() ? QStringLiteral("Rozdzielacz zatrzymany przez kod błędu.") : Q(c.stop->info).simplified();
    d.Text(Left + 3, d.y + 6.5, Width - 6, 5.5, info, Font(9), StopRed);
  } else {
    d.Text(Left + 3, d.y + 1, Width - 6, 6, QStringLiteral("Brak zatrzymania: rozdzielacz pracuje bez kodu błędu."),
           Font(9.5, true), color);
  }
  d.y += boxHeight + 3;
  Rows(d, c.status, 110, true);
}

// Whether the working set is the stored one, and what differs.
void Storage(Document& d, const StorageCheck& s) {
  const bool same = s.compared && s.differences.empty() && s.hiddenDifferences == 0;
  const QColor color = !s.compared ? Grey : same ? QColor(0, 110, 40) : StopRed;
  d.Need(RowHeight * 3);
  d.y += 1.5;
  for (const QString& line : Q(s.summary).split(QLatin1Char('\n'))) {
    d.Text(Left, d.y, Width, 5, line, Font(9, true), color);
    d.y += 5;
  }
  d.y += 1;
  std::vector<Entry> rows = s.differences;
  if (s.hiddenDifferences > 0)
    rows.push_back(
        {"Parametry niewidoczne na tym poziomie dostępu", std::to_string(s.hiddenDifferences) + " różnych", ""});
  if (!rows.empty()) Rows(d, rows, 80, false);
  d.y += 2;
}

// What the history holds of this valve from today: each operation with what
// it changed, one change a row.
std::optional<Section> VisitChanges(const std::string& serialNumber) {
  history::HistoryRecorder* recorder = history::HistoryRecorder::Current();
  if (!recorder) return std::nullopt;
  Section section{"Zmiany podczas tej wizyty", {}};
  const QDate today = QDate::currentDate();
  const auto records = recorder->store().list(QString::fromStdString(serialNumber));
  // Oldest first. (std::views::reverse would do, but clang-tidy's clang cannot
  // parse GCC 12's ranges.)
  for (auto r = records.rbegin(); r != records.rend(); ++r) {  // NOLINT(modernize-loop-convert)
    if (r->time.toLocalTime().date() != today || r->changes.isEmpty()) continue;
    const QStringList changes = r->changes.split(QStringLiteral("; "));
    // The time and operation head the record's first change only.
    QString name = r->time.toLocalTime().toString(QStringLiteral("HH:mm ")) + r->operation;
    for (const QString& change : changes) {
      section.entries.push_back({name.toStdString(), change.toStdString(), ""});
      name.clear();
    }
  }
  if (section.entries.empty()) section.entries.push_back({"Brak zmian w historii", "", ""});
  return section;
}

void Parameters(Document& d, const ReportContent& c) {
  constexpr double NameWidth = 110;
  // The heading names the whole set; its first group is "Parametry pracy".
  const double firstGroup =
      c.parameters.empty() ? 8 : RowHeight * static_cast<double>(c.parameters.front().entries.size() + 2) + 1.2;
  d.Heading(QStringLiteral("3. Nastawy rozdzielacza"), std::min(firstGroup, Bottom - Top - 20));
  if (c.parameters.empty()) {
    d.Text(Left, d.y, Width, 6, QStringLiteral("Parametry nie są dostępne na tym poziomie dostępu."), Font(9), Grey);
    d.y += 8;
    return;
  }
  TableHeader(d, NameWidth);
  std::vector<Section> sections = c.parameters;
  if (auto visit = VisitChanges(c.serialNumber)) sections.push_back(std::move(*visit));
  for (const Section& s : sections) {
    // A group stays on one page, below the table's header; only a group
    // longer than a page is split.
    const double group = 1.2 + RowHeight * static_cast<double>(s.entries.size() + 1);
    if (d.Need(std::min(group, Bottom - Top - RowHeight))) TableHeader(d, NameWidth);
    d.y += 1.2;
    d.Text(Left + 1, d.y, Width, RowHeight, Q(s.title), Font(9, true), Navy);
    d.y += RowHeight;
    d.Line(Left, d.y, Right, d.y, Rule, 0.1);
    Rows(d, s.entries, NameWidth, true, [&] { TableHeader(d, NameWidth); });
  }
  d.y += 2;
  Storage(d, c.storage);
}

// The recording drawn by the chart window's own picture code.
QImage ChartImage(const TraceSnapshot& t, char sep) {
  trace::ChartPicture picture;
  trace::FrameSettings frame;
  trace::ChartLegend& legend = frame.legend;
  legend.threePositions = t.threePositions;
  legend.voltageInput = t.voltageInput;
  legend.lvdt = t.lvdt;
  legend.pidP = Q(t.pidP);
  legend.pidI = Q(t.pidI);
  legend.pidD = Q(t.pidD);
  legend.dkp = t.dkp;
  legend.dki = t.dki;
  legend.lkp = t.lkp;
  legend.lki = t.lki;
  legend.dynamicPid = t.dynamicPid;
  frame.reportDac = t.reportDac;
  frame.grid = (t.channelMask & trace::GridBit) != 0;
  const trace::SamplingPeriod period = trace::PeriodOf(t.divider, t.pwmHz, sep);
  frame.periodText = Q(period.text);
  frame.shownMs = period.shownMs;
  frame.decimalSeparator = sep;
  picture.Clear();
  picture.DrawFrame(t.scales, frame);
  const trace::PositionMode mode{t.reportDac, t.source};
  for (int n = 0; n < t.drawn; ++n) picture.DrawSample(n, t.samples[static_cast<std::size_t>(n)], t.channelMask, mode);
  return picture.image();
}

void Chart(Document& d, const ReportContent& c, char sep) {
  const TraceSnapshot& t = c.trace;
  const double imageHeight = Width * trace::PictureHeight / trace::PictureWidth;
  d.Heading(QStringLiteral("4. Przebieg regulacji"), t.read ? imageHeight + 14 : 8);
  if (!t.read) {
    d.Text(Left, d.y, Width, 6, QStringLiteral("Zapisu przebiegu nie udało się odczytać z rozdzielacza."), Font(9),
           Grey);
    d.y += 8;
    return;
  }
  const QImage image = ChartImage(t, sep);
  d.Add([image, y = d.y, imageHeight](QPainter& p) {
    p.drawImage(Box(Left, y, Width, imageHeight), image);
    p.setPen(QPen(Rule, Px(0.2)));
    p.setBrush(Qt::NoBrush);
    p.drawRect(Box(Left, y, Width, imageHeight));
  });
  d.y += imageHeight + 1.5;
  const trace::SamplingPeriod period = trace::PeriodOf(t.divider, t.pwmHz, sep);
  const QString position = t.reportDac ? QStringLiteral("wybrane źródło monitora") : QStringLiteral("położenie LVDT");
  d.Text(Left, d.y, Width, 4.5,
         QStringLiteral("Zapis ostatniej regulacji: %1 próbek co %2 ms.").arg(t.drawn).arg(Q(period.text)), Font(8),
         Grey);
  d.y += 4.5;
  d.Text(Left, d.y, Width, 4.5,
         QStringLiteral("Prąd cewki A – czerwony, prąd cewki B – niebieski, wartość zadana – zielony, %1 – czarny.")
             .arg(position),
         Font(8), Grey);
  d.y += 7;
}

void Signatures(Document& d) {
  d.Heading(QStringLiteral("5. Potwierdzenie uruchomienia"), 44);
  d.Text(Left, d.y, Width, 6,
         QStringLiteral("Rozdzielacz uruchomiono i sprawdzono z ustawieniami podanymi w niniejszym protokole."),
         Font(9), Ink);
  d.y += 16;
  const double column = (Width - 16) / 2;
  for (int i = 0; i < 2; ++i) {
    const double x = Left + i * (column + 16);
    d.Text(x, d.y, column, 6, i == 0 ? QStringLiteral("Wykonał") : QStringLiteral("Odebrał"), Font(10, true), Navy);
    d.Line(x, d.y + 17, x + column, d.y + 17, Ink, 0.25);
    d.Text(x, d.y + 17.5, column, 4.5, QStringLiteral("imię i nazwisko"), Font(7.5), Grey,
           Qt::AlignHCenter | Qt::AlignVCenter);
    d.Line(x, d.y + 32, x + column, d.y + 32, Ink, 0.25);
    d.Text(x, d.y + 32.5, column, 4.5, QStringLiteral("data i podpis"), Font(7.5), Grey,
           Qt::AlignHCenter | Qt::AlignVCenter);
  }
  d.y += 40;
}

void Footer(QPainter& p, const ReportContent& c, const ReportHeading& h, int page, int pages) {
  const double y = Bottom + 6;
  p.setPen(QPen(Rule, Px(0.2)));
  p.drawLine(QPointF(Px(Left), Px(y)), QPointF(Px(Right), Px(y)));
  p.setFont(Font(7.5));
  p.setPen(Grey);
  QString left = QStringLiteral("Protokół uruchomienia rozdzielacza");
  if (!c.serialNumber.empty()) left += QStringLiteral(" nr ") + Q(c.serialNumber);
  left += QStringLiteral(", ") + QLocale(QLocale::Polish).toString(h.when, QStringLiteral("dd.MM.yyyy"));
  p.drawText(Box(Left, y + 1, Width, 4.5), Qt::AlignLeft | Qt::AlignVCenter, left);
  p.drawText(Box(Left, y + 1, Width, 4.5), Qt::AlignRight | Qt::AlignVCenter,
             QStringLiteral("Strona %1 z %2").arg(page).arg(pages));
  p.drawText(Box(Left, y + 5, Width, 4), Qt::AlignLeft | Qt::AlignVCenter,
             QStringLiteral("Sporządzono programem ") + h.program);
}

// The system's words, or what is wrong with the path.
QString ReasonOf(const platform::FileError& e) {
  switch (e.fault()) {
    case platform::FileFault::NotRegular: return QStringLiteral("not a regular file (a device, FIFO or folder)");
    case platform::FileFault::NotFound: return QStringLiteral("no such folder");
    default: return QString::fromStdString(e.reason());
  }
}

}  // namespace

ReportFileError::ReportFileError(const QString& path, const QString& reason)
    : std::runtime_error(
          QStringLiteral(" Błąd zapisu protokołu uruchomienia \n do pliku %1 \n %2 ").arg(path, reason).toStdString()),
      path_(path),
      reason_(reason) {}

void WriteReportPdf(const QString& path, const ReportContent& content, const ReportHeading& heading) {
  // A target that cannot be written is refused before anything is drawn.
  if (const std::optional<platform::FileError> problem = platform::OutputProblem(path.toStdString()))
    throw ReportFileError(path, ReasonOf(*problem));
  QByteArray pdf;
  QBuffer file(&pdf);
  file.open(QIODevice::WriteOnly);
  {
    QPdfWriter writer(&file);
    writer.setResolution(Dpi);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF()));
    writer.setTitle(QStringLiteral("Protokół uruchomienia rozdzielacza ") + Q(content.serialNumber));
    writer.setCreator(heading.program);

    Document d(writer);
    Title(d, content, heading);
    Identity(d, content);
    Status(d, content);
    Parameters(d, content);
    Chart(d, content, heading.decimalSeparator);
    Signatures(d);

    QPainter painter;
    if (!painter.begin(&writer)) throw ReportFileError(path, file.errorString());
    const auto& pages = d.pages();
    for (std::size_t i = 0; i < pages.size(); ++i) {
      if (i > 0) writer.newPage();
      for (const Document::Step& step : pages[i]) step(painter);
      Footer(painter, content, heading, static_cast<int>(i) + 1, static_cast<int>(pages.size()));
    }
    painter.end();
  }
  file.close();
  try {
    platform::WriteWholeFile(path.toStdString(),
                             std::string_view(pdf.constData(), static_cast<std::size_t>(pdf.size())));
  } catch (const platform::FileError& e) {
    throw ReportFileError(path, ReasonOf(e));
  }
}

}  // namespace tvx::report
