#include "app/gui/splashwnd.h"

#include <QFontMetrics>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <cmath>

#include "common/gui/displayresources.h"
#include "common/gui/qtstrings.h"
#include "common/timetext.h"
#include "common/version.h"

namespace vantora {

namespace {

const char* const kNotice = "Environmental data logging software";
const char* const kContact[] = {"Halvorn Instruments", "Indoor air, air flow and gas surveys",
                                "support@halvorn.example"};

// A hand-held logger with its probe, walking: frame 0-7.
QPixmap WalkFrame(int frame) {
  QPixmap pm(80, 38);
  pm.fill(Qt::white);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing, true);
  const double phase = frame * M_PI / 4.0;
  // Legs.
  p.setPen(QPen(QColor(40, 40, 40), 2, Qt::SolidLine, Qt::RoundCap));
  double swing = 5.0 * std::sin(phase);
  p.drawLine(QPointF(34, 28), QPointF(34 + swing, 37));
  p.drawLine(QPointF(46, 28), QPointF(46 - swing, 37));
  // Body: the logger.
  QLinearGradient body(28, 0, 52, 0);
  body.setColorAt(0, QColor(0, 110, 120));
  body.setColorAt(1, QColor(0, 160, 170));
  p.setPen(QPen(QColor(0, 70, 80), 1));
  p.setBrush(body);
  p.drawRoundedRect(QRectF(28, 3, 24, 27), 4, 4);
  p.setBrush(QColor(210, 240, 210));
  p.drawRect(QRectF(31, 6, 18, 9));
  // Display trace.
  p.setPen(QPen(QColor(0, 110, 0), 1));
  QPainterPath trace;
  for (int x = 0; x <= 16; ++x) {
    double y = 10.5 + 3 * std::sin(x / 2.5 + phase);
    if (x == 0)
      trace.moveTo(32 + x, y);
    else
      trace.lineTo(32 + x, y);
  }
  p.drawPath(trace);
  // Keys.
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(230, 230, 230));
  for (int i = 0; i < 3; ++i) p.drawEllipse(QRectF(32 + i * 6, 19, 4, 4));
  // Probe on its cable, bobbing.
  double bob = 2.0 * std::cos(phase);
  p.setPen(QPen(QColor(60, 60, 60), 1.5));
  p.setBrush(Qt::NoBrush);
  QPainterPath cable;
  cable.moveTo(52, 12);
  cable.cubicTo(60, 6 + bob, 62, 20, 68, 10 + bob);
  p.drawPath(cable);
  p.setPen(QPen(QColor(200, 0, 0), 3, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(68, 10 + bob), QPointF(74, 6 + bob));
  // Air puffs behind.
  p.setPen(QPen(QColor(120, 180, 230), 1.2));
  for (int i = 0; i < 3; ++i) {
    double x = 6 + ((frame * 3 + i * 8) % 22);
    p.drawArc(QRectF(x, 8 + i * 7, 8, 6), 0, 180 * 16);
  }
  return pm;
}

QPixmap Logo() {
  QPixmap pm(114, 167);
  pm.fill(Qt::white);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing, true);
  QLinearGradient sky(0, 0, 0, 167);
  sky.setColorAt(0, QColor(0, 128, 128));
  sky.setColorAt(1, QColor(0, 60, 90));
  p.setPen(Qt::NoPen);
  p.setBrush(sky);
  p.drawRoundedRect(QRectF(0, 0, 114, 167), 10, 10);
  // A large V made of two readings traces.
  p.setPen(QPen(Qt::white, 9, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  QPainterPath v;
  v.moveTo(22, 30);
  v.lineTo(57, 118);
  v.lineTo(92, 30);
  p.drawPath(v);
  p.setPen(QPen(QColor(255, 210, 60), 2.5));
  QPainterPath wave;
  for (int x = 10; x <= 104; ++x) {
    double y = 140 + 7 * std::sin(x / 7.0);
    if (x == 10)
      wave.moveTo(x, y);
    else
      wave.lineTo(x, y);
  }
  p.drawPath(wave);
  return pm;
}

QPixmap Title() {
  QPixmap pm(185, 67);
  pm.fill(Qt::white);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing, true);
  QFont f("Arial");
  f.setPixelSize(38);
  f.setBold(true);
  p.setFont(f);
  p.setPen(QColor(0, 110, 120));
  p.drawText(QRect(0, 0, 185, 50), Qt::AlignLeft | Qt::AlignVCenter, "Vantora");
  QFont small("Arial");
  small.setPixelSize(15);
  small.setBold(true);
  p.setFont(small);
  p.setPen(QColor(200, 0, 0));
  p.drawText(QRect(2, 46, 183, 20), Qt::AlignLeft | Qt::AlignVCenter, "PC  data analysis");
  return pm;
}

}  // namespace

QPixmap CSplashWnd::Bitmap(int index) {
  if (index >= 0 && index < 8) return WalkFrame(index);
  return index == 8 ? Logo() : Title();
}

CSplashWnd::CSplashWnd(Mode mode, DisplayResources& resources, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), mode_(mode), resources_(resources) {
  setObjectName(mode == kSplash ? "splash" : "about");
  setWindowTitle(mode == kSplash ? "VantoraPC" : "About VantoraPC");
  setModal(true);
  ok_ = new QPushButton("OK", this);
  ok_->setObjectName("okButton");
  ok_->hide();
  connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
  setFixedSize(500, 185);
  if (parent && parent->isVisible()) {
    move(parent->geometry().center() - rect().center());
  } else if (QScreen* s = screen()) {
    move(s->availableGeometry().center() - rect().center());
  }
  for (int i = 0; i < 10; ++i) bitmaps_.push_back(Bitmap(i));
  resources_.PrepareCommon(this);
  QString face = ToQt(resources_.faceName);
  large_ = QFont(face);
  large_.setPixelSize(16);
  large_.setBold(true);
  large_.setItalic(true);
  bold_ = QFont(face);
  bold_.setPixelSize(12);
  bold_.setBold(true);
  normal_ = QFont(face);
  normal_.setPixelSize(11);
  LayOutTexts();
  frameTimer_ = new QTimer(this);
  connect(frameTimer_, &QTimer::timeout, this, &CSplashWnd::Step);
  frameTimer_->start(kFrameMs);
  if (mode == kSplash) {
    closeTimer_ = new QTimer(this);
    closeTimer_->setSingleShot(true);
    connect(closeTimer_, &QTimer::timeout, this, &QDialog::accept);
    closeTimer_->start(kSplashMs);
  }
}

QString CSplashWnd::ProgramLine() {
  return QString::fromStdString(VersionLine("VantoraPC")) + " (" + kProgramLicence + ")";
}

bool CSplashWnd::animating() const { return frameTimer_->isActive(); }

void CSplashWnd::LayOutTexts() {
  // Contact lines right of the logo, the last ending level with its bottom.
  QFontMetrics fm(normal_);
  int widest = 0;
  for (const char* line : kContact) widest = std::max(widest, fm.horizontalAdvance(line));
  lineLeft_ = 5 + 114 + 5;
  int right = lineLeft_ + widest;
  lineY_ = 172;
  rightLimit_ = width() - 1;
  sprite_ = QRect(right + 5, lineY_ - 38, 80, 38);
  contactRight_ = right;
}

void CSplashWnd::Step() {
  frame_ = (frame_ + 1) % 8;
  sprite_.translate(10, 0);
  if (mode_ == kAbout && sprite_.left() > rightLimit_) {
    ok_->setGeometry(width() - 65, height() - 30, 60, 25);
    ok_->show();
    ok_->setFocus();
    frameTimer_->stop();
  }
  update();
}

void CSplashWnd::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), QColor(128, 128, 128));
  p.fillRect(rect().adjusted(1, 1, -1, -1), resources_.colours[1]);
  p.drawPixmap(5, 5, bitmaps_[8]);
  p.drawPixmap(128, 5, bitmaps_[9]);
  int y = 72;
  p.setPen(Qt::black);
  p.setFont(large_);
  QString version = QString::asprintf("Version %i.%02i ", 2, 4) + "B1";
  QFontMetrics lm(large_);
  p.drawText(160, y + lm.ascent(), version);
  y += lm.height() + 2;
  p.setFont(bold_);
  QFontMetrics bm(bold_);
  p.drawText(160, y + bm.ascent(), kNotice);
  y += bm.height() + 2;
  // The build's own version, under the notice.
  p.setFont(normal_);
  QFontMetrics nm(normal_);
  const QString program = ProgramLine();
  p.drawText(160, y + nm.ascent(), program);
  texts_ = {version, kNotice, program};
  const int lines = sizeof(kContact) / sizeof(kContact[0]);
  int top = lineY_ - lines * nm.height();
  for (int i = 0; i < lines; ++i)
    p.drawText(lineLeft_, top + i * nm.height() + nm.ascent(), kContact[i]);
  p.setPen(resources_.pens[1]);
  p.drawLine(contactRight_, lineY_, rightLimit_, lineY_);
  if (frame_ >= 0) {
    QRect visible =
        sprite_.intersected(QRect(contactRight_ + 1, 0, rightLimit_ - contactRight_ - 1, height()));
    p.setClipRect(visible);
    p.drawPixmap(sprite_.topLeft(), bitmaps_[frame_]);
  }
}

}  // namespace vantora
