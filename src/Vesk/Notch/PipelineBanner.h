#pragma once

#include "VeskServices/Pipelines/PipelineRunState.h"

#include <QMetaObject>
#include <QWidget>

#include <functional>

class QAbstractButton;

namespace vesk {

class NotchViewModel;

// The strip that reports a drop pipeline's run: a progress bar with the step while it
// runs, a check mark, the summary and "Undo" once it finished, a warning with the
// message when it failed. Idle, it hides itself and takes no space.
class PipelineBanner : public QWidget {
    Q_OBJECT

public:
    static constexpr double horizontalPadding = 10;
    static constexpr double verticalPadding = 6;
    static constexpr double spacing = 8;
    static constexpr double cornerRadius = 8;
    static constexpr double progressWidth = 90;
    static constexpr double progressHeight = 4;
    static constexpr double symbolFontSize = 11;

    PipelineBanner(const PipelineRunState& state, std::function<void()> onUndo, QWidget* parent = nullptr);
    // Follows the state of the model's pipeline runner (idle without one); "Undo" undoes
    // the runner's last result and takes the deleted files out of the tray.
    explicit PipelineBanner(NotchViewModel& model, QWidget* parent = nullptr);

    const PipelineRunState& state() const { return m_state; }
    void setState(const PipelineRunState& state);
    void setOnUndo(std::function<void()> onUndo) { m_onUndo = std::move(onUndo); }

    // The "Undo" button; shown only for a finished run that produced files.
    QAbstractButton* undoButton() const { return m_undo; }

    // Where the parts are drawn, in the banner's coordinates; empty when absent.
    QRectF progressRect() const;
    QRectF symbolRect() const;
    QRectF titleRect() const;
    QRectF detailRect() const;
    QRectF messageRect() const;
    // The message as laid out: at most two lines, the rest cut.
    QStringList messageLines() const;

    QSize sizeHint() const override;
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void apply();
    double contentHeight(double width) const;
    double textLeft() const;
    double textRight() const;
    QStringList wrappedMessage(double width) const;
    void placeUndo();
    void follow(NotchViewModel* model);

    PipelineRunState m_state;
    std::function<void()> m_onUndo;
    QAbstractButton* m_undo;
    QMetaObject::Connection m_runnerConnection;
};

} // namespace vesk
