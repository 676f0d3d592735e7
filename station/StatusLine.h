// A quiet line of text along the bottom of the live picture, for what the operator should know
// but need not answer ("Settings cannot be stored ..."). It stays until its text is set empty.
//
// It is a child widget of the picture's window and draws only itself (a dark band with light
// text), so the window's own painting of the picture knows nothing of it. It follows the
// window's width, lets every mouse event through to the picture (a click on it still aims the
// camera) and is hidden while it has no text.
#pragma once

#include <QString>
#include <QWidget>

class CStatusLine : public QWidget {
    Q_OBJECT
  public:
    // A child of `picture`, hidden until it has text.
    explicit CStatusLine(QWidget* picture);

    // Shows `text` over the bottom of the picture; an empty text hides the line.
    void SetText(const QString& text);
    const QString& Text() const { return m_Text; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    // Follows the picture window's size.
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void FitToPicture();

    QString m_Text;
};
