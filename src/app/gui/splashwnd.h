// The splash window shown at start-up and, with an OK button, as the About
// box: logo, title, version, notice and contact lines, and a little logger
// that walks along a line.
#pragma once

#include <QDialog>
#include <QFont>
#include <QPixmap>
#include <QRect>
#include <QStringList>
#include <vector>

class QPushButton;
class QTimer;

namespace vantora {

class DisplayResources;

class CSplashWnd : public QDialog {
  Q_OBJECT
 public:
  enum Mode { kSplash = 0, kAbout = 1 };
  static constexpr int kSplashMs = 3800;
  static constexpr int kFrameMs = 220;

  CSplashWnd(Mode mode, DisplayResources& resources, QWidget* parent = nullptr);

  // One animation step (what the frame timer does).
  void Step();

  Mode mode() const { return mode_; }
  int frame() const { return frame_; }
  const QRect& spriteRect() const { return sprite_; }
  int rightLimit() const { return rightLimit_; }
  QPushButton* okButton() const { return ok_; }
  bool animating() const;

  // The artwork: 0-7 the walking frames, 8 the logo, 9 the title.
  static QPixmap Bitmap(int index);

  // "VantoraPC <version> (<licence>)", the line under the notice.
  static QString ProgramLine();
  // The version, notice and program lines as the last paint drew them.
  const QStringList& drawnTexts() const { return texts_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void LayOutTexts();

  Mode mode_;
  DisplayResources& resources_;
  QPushButton* ok_ = nullptr;
  QTimer* closeTimer_ = nullptr;
  QTimer* frameTimer_ = nullptr;
  std::vector<QPixmap> bitmaps_;
  QRect sprite_;
  int rightLimit_ = 0;
  int lineY_ = 0;
  int lineLeft_ = 0;
  int contactRight_ = 0;
  QFont large_, bold_, normal_;
  QStringList texts_;
  int frame_ = -1;
};

}  // namespace vantora
