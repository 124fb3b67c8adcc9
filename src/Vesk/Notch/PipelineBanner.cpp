#include "Vesk/Notch/PipelineBanner.h"

#include "Vesk/Notch/NotchViewModel.h"
#include "VeskServices/Pipelines/PipelineRunner.h"
#include "VeskUI/Symbols/Symbols.h"
#include "VeskUI/Tokens/Typography.h"
#include "VeskUI/Tokens/Vesk.h"

#include <QAbstractButton>
#include <QFontMetricsF>
#include <QPainter>
#include <QPointer>
#include <QTextLayout>

#include <cmath>

namespace vesk {

namespace {

const QFont& titleFont() {
    static const QFont font = systemFont(10, QFont::DemiBold);
    return font;
}
const QFont& detailFont() {
    static const QFont font = systemFont(9);
    return font;
}
const QFont& summaryFont() {
    static const QFont font = systemFont(10, QFont::Medium);
    return font;
}
const QFont& messageFont() {
    static const QFont font = systemFont(10);
    return font;
}
const QFont& undoFont() {
    static const QFont font = systemFont(10, QFont::DemiBold);
    return font;
}

constexpr int maxMessageLines = 2;

// A button that is only its text, as the desk's plain buttons are.
class TextButton final : public QAbstractButton {
public:
    TextButton(const QString& text, QWidget* parent) : QAbstractButton(parent) {
        setText(text);
        setFont(undoFont());
        setCursor(Qt::PointingHandCursor);
        setFocusPolicy(Qt::NoFocus);
    }
    QSize sizeHint() const override {
        const QFontMetricsF metrics(font());
        return QSize(int(std::ceil(metrics.horizontalAdvance(text()))), int(std::ceil(metrics.height())));
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        QColor colour = Vesk::Accent::x500;
        if (isDown()) colour.setAlphaF(0.6);
        painter.setPen(colour);
        painter.setFont(font());
        painter.drawText(rect(), Qt::AlignCenter, text());
    }
};

QString symbolOf(const PipelineRunState& state) {
    if (std::holds_alternative<PipelineRunState::Finished>(state.value))
        return QStringLiteral("checkmark.circle.fill");
    if (std::holds_alternative<PipelineRunState::Failed>(state.value))
        return QStringLiteral("exclamationmark.triangle.fill");
    return {};
}

QColor symbolColour(const PipelineRunState& state) {
    return std::holds_alternative<PipelineRunState::Finished>(state.value) ? Vesk::Semantic::sage
                                                                           : Vesk::Semantic::amber;
}

} // namespace

PipelineBanner::PipelineBanner(const PipelineRunState& state, std::function<void()> onUndo, QWidget* parent)
    : QWidget(parent), m_state(state), m_onUndo(std::move(onUndo)),
      m_undo(new TextButton(QStringLiteral("Undo"), this)) {
    connect(m_undo, &QAbstractButton::clicked, this, [this] {
        if (m_onUndo) m_onUndo();
    });
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
    apply();
}

PipelineBanner::PipelineBanner(NotchViewModel& model, QWidget* parent)
    : PipelineBanner(PipelineRunState::idle(), {}, parent) {
    QPointer<NotchViewModel> weakModel(&model);
    m_onUndo = [weakModel] {
        if (!weakModel || !weakModel->pipelineRunner()) return;
        weakModel->removeTrayItems(weakModel->pipelineRunner()->undo());
    };
    connect(&model, &NotchViewModel::deskServicesChanged, this, [this, weakModel] { follow(weakModel); });
    follow(&model);
}

void PipelineBanner::follow(NotchViewModel* model) {
    disconnect(m_runnerConnection);
    PipelineRunner* runner = model ? model->pipelineRunner() : nullptr;
    if (!runner) {
        setState(PipelineRunState::idle());
        return;
    }
    m_runnerConnection =
        connect(runner, &PipelineRunner::stateChanged, this, [this, runner] { setState(runner->state()); });
    setState(runner->state());
}

void PipelineBanner::setState(const PipelineRunState& state) {
    if (state == m_state) return;
    m_state = state;
    apply();
}

void PipelineBanner::apply() {
    const auto* finished = std::get_if<PipelineRunState::Finished>(&m_state.value);
    m_undo->setVisible(finished && !finished->result.produced.isEmpty());
    // A top-level banner (in a test, say) is shown by whoever made it.
    if (parentWidget()) setVisible(!m_state.isIdle());
    placeUndo();
    updateGeometry();
    update();
}

double PipelineBanner::textLeft() const {
    if (m_state.isRunning()) return horizontalPadding + progressWidth + spacing;
    return horizontalPadding + Symbols::sideForFontSize(symbolFontSize) + spacing;
}

double PipelineBanner::textRight() const {
    double right = width() - horizontalPadding;
    if (!m_undo->isHidden()) right -= m_undo->sizeHint().width() + spacing;
    return right;
}

QStringList PipelineBanner::wrappedMessage(double width) const {
    const auto* failed = std::get_if<PipelineRunState::Failed>(&m_state.value);
    if (!failed || width <= 0) return {};
    QTextLayout layout(failed->message, messageFont());
    // A word wider than the line (a file's name) is broken rather than cut at the end.
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    QStringList lines;
    while (true) {
        QTextLine line = layout.createLine();
        if (!line.isValid()) break;
        line.setLineWidth(width);
        const QString text = failed->message.mid(line.textStart(), line.textLength());
        if (lines.size() == maxMessageLines - 1) {
            // The last line takes whatever is left, cut at its tail.
            const QString rest = failed->message.mid(line.textStart()).simplified();
            lines.append(QFontMetricsF(messageFont()).elidedText(rest, Qt::ElideRight, width));
            break;
        }
        lines.append(text.trimmed());
    }
    layout.endLayout();
    return lines;
}

QStringList PipelineBanner::messageLines() const {
    return wrappedMessage(textRight() - textLeft());
}

double PipelineBanner::contentHeight(double width) const {
    if (const auto* running = std::get_if<PipelineRunState::Running>(&m_state.value)) {
        double h = QFontMetricsF(titleFont()).height();
        if (!running->detail.isEmpty()) h += QFontMetricsF(detailFont()).height();
        return std::max(h, progressHeight);
    }
    const double symbol = Symbols::sideForFontSize(symbolFontSize);
    if (std::holds_alternative<PipelineRunState::Finished>(m_state.value))
        return std::max({symbol, QFontMetricsF(summaryFont()).height(), double(m_undo->sizeHint().height())});
    if (std::holds_alternative<PipelineRunState::Failed>(m_state.value)) {
        const double textWidth = width - 2 * horizontalPadding - symbol - spacing;
        const auto lines = double(std::max<qsizetype>(1, wrappedMessage(textWidth).size()));
        return std::max(symbol, lines * QFontMetricsF(messageFont()).lineSpacing());
    }
    return 0;
}

int PipelineBanner::heightForWidth(int width) const {
    if (m_state.isIdle()) return 0;
    return int(std::ceil(contentHeight(width) + 2 * verticalPadding));
}

QSize PipelineBanner::sizeHint() const {
    const int w = width() > 0 ? width() : 360;
    return QSize(w, heightForWidth(w));
}

QRectF PipelineBanner::progressRect() const {
    if (!m_state.isRunning()) return {};
    return QRectF(horizontalPadding, (height() - progressHeight) / 2, progressWidth, progressHeight);
}

QRectF PipelineBanner::symbolRect() const {
    if (m_state.isRunning() || m_state.isIdle()) return {};
    const double side = Symbols::sideForFontSize(symbolFontSize);
    return QRectF(horizontalPadding, (height() - side) / 2, side, side);
}

QRectF PipelineBanner::titleRect() const {
    const double left = textLeft();
    const double w = std::max(0.0, textRight() - left);
    if (const auto* running = std::get_if<PipelineRunState::Running>(&m_state.value)) {
        const double title = QFontMetricsF(titleFont()).height();
        const double detail = running->detail.isEmpty() ? 0 : QFontMetricsF(detailFont()).height();
        return QRectF(left, (height() - title - detail) / 2, w, title);
    }
    if (std::holds_alternative<PipelineRunState::Finished>(m_state.value)) {
        const double h = QFontMetricsF(summaryFont()).height();
        return QRectF(left, (height() - h) / 2, w, h);
    }
    return {};
}

QRectF PipelineBanner::detailRect() const {
    const auto* running = std::get_if<PipelineRunState::Running>(&m_state.value);
    if (!running || running->detail.isEmpty()) return {};
    const QRectF title = titleRect();
    return QRectF(title.left(), title.bottom(), title.width(), QFontMetricsF(detailFont()).height());
}

QRectF PipelineBanner::messageRect() const {
    if (!std::holds_alternative<PipelineRunState::Failed>(m_state.value)) return {};
    const double h = double(messageLines().size()) * QFontMetricsF(messageFont()).lineSpacing();
    return QRectF(textLeft(), (height() - h) / 2, std::max(0.0, textRight() - textLeft()), h);
}

void PipelineBanner::placeUndo() {
    const QSize hint = m_undo->sizeHint();
    m_undo->setGeometry(int(width() - horizontalPadding - hint.width()), (height() - hint.height()) / 2,
                        hint.width(), hint.height());
}

void PipelineBanner::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    placeUndo();
}

void PipelineBanner::paintEvent(QPaintEvent*) {
    if (m_state.isIdle()) return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Vesk::Ink::x850);
    painter.drawRoundedRect(QRectF(rect()), cornerRadius, cornerRadius);

    if (const auto* running = std::get_if<PipelineRunState::Running>(&m_state.value)) {
        const QRectF bar = progressRect();
        painter.setBrush(Vesk::Ink::x700);
        painter.drawRoundedRect(bar, progressHeight / 2, progressHeight / 2);
        const double fraction =
            std::clamp(std::isfinite(running->fraction) ? running->fraction : 0.0, 0.0, 1.0);
        if (fraction > 0) {
            painter.setBrush(Vesk::Accent::x500);
            const QRectF done(bar.left(), bar.top(), bar.width() * fraction, bar.height());
            const double radius = std::min(done.width(), done.height()) / 2;
            painter.drawRoundedRect(done, radius, radius);
        }
        const QRectF title = titleRect();
        painter.setFont(titleFont());
        painter.setPen(Vesk::Stone::x100);
        painter.drawText(
            title, Qt::AlignLeft | Qt::AlignVCenter,
            QFontMetricsF(titleFont()).elidedText(running->title, Qt::ElideRight, title.width()));
        if (const QRectF detail = detailRect(); !detail.isEmpty()) {
            painter.setFont(detailFont());
            painter.setPen(Vesk::Stone::x400);
            painter.drawText(
                detail, Qt::AlignLeft | Qt::AlignVCenter,
                QFontMetricsF(detailFont()).elidedText(running->detail, Qt::ElideRight, detail.width()));
        }
        return;
    }

    Symbols::paint(painter, symbolRect(), symbolOf(m_state), symbolColour(m_state));
    if (const auto* finished = std::get_if<PipelineRunState::Finished>(&m_state.value)) {
        const QRectF summary = titleRect();
        painter.setFont(summaryFont());
        painter.setPen(Vesk::Stone::x100);
        painter.drawText(summary, Qt::AlignLeft | Qt::AlignVCenter,
                         QFontMetricsF(summaryFont())
                             .elidedText(finished->result.summary(), Qt::ElideRight, summary.width()));
    } else {
        const QRectF message = messageRect();
        const double line = QFontMetricsF(messageFont()).lineSpacing();
        painter.setFont(messageFont());
        painter.setPen(Vesk::Stone::x200);
        const QStringList lines = messageLines();
        for (qsizetype i = 0; i < lines.size(); ++i)
            painter.drawText(QRectF(message.left(), message.top() + double(i) * line, message.width(), line),
                             Qt::AlignLeft | Qt::AlignVCenter, lines[i]);
    }
}

} // namespace vesk
