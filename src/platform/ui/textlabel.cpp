// The size of a static text, laid out once.
#include "platform/ui/uiqt.h"

#include <QTextDocument>

namespace uiq {

QSize TextLabel::sizeHint() const {
    ensurePolished();
    // Left to QLabel, which lays these out its own way: rich text, wrapping, a frame, margins
    // or indent of its own, a buddy's mnemonic, selectable text, a picture, a minimum width,
    // and no text at all (one average character wide).
    const Qt::TextFormat format = textFormat();
    if (format == Qt::RichText || format == Qt::MarkdownText ||
        (format == Qt::AutoText && Qt::mightBeRichText(text())) || wordWrap() ||
        frameWidth() != 0 || margin() != 0 || indent() >= 0 || buddy() != nullptr ||
        (textInteractionFlags() & (Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard)) ||
        !pixmap().isNull() || minimumWidth() > 0 || text().isEmpty())
        return QLabel::sizeHint();
    if (sized_.isValid() && sizedText_ == text() && sizedFont_ == font()) return sized_;

    // As QLabel does it: one line as wide as it needs within 2000 pixels, tabs expanded, the
    // horizontal centring left out so that halving cannot round the width.
    const QMargins m = contentsMargins();
    const int marginsWide = m.left() + m.right();
    const int flags = (alignment() & ~(Qt::AlignVCenter | Qt::AlignHCenter)) | Qt::TextExpandTabs;
    const QRect br = fontMetrics().boundingRect(0, 0, 2000 - marginsWide, 2000, flags, text());
    sized_ = QSize(br.width() + marginsWide, br.height() + m.top() + m.bottom())
                 .expandedTo(minimumSize());
    sizedText_ = text();
    sizedFont_ = font();
    return sized_;
}

} // namespace uiq
