#include "core/PlainAccessibleText.h"

#include <QTextBoundaryFinder>

namespace {
// Lines and paragraphs are the same here: the text has hard breaks only.
QPair<int, int> lineAround(const QString &text, int offset) {
    const int start = offset > 0 ? int(text.lastIndexOf(QLatin1Char('\n'), offset - 1)) + 1 : 0;
    const int lineEnd = int(text.indexOf(QLatin1Char('\n'), offset));
    const int end = lineEnd < 0 ? int(text.size()) : lineEnd + 1;
    return {start, end};
}

QPair<int, int> boundaryAround(const QString &text, int offset, QTextBoundaryFinder::BoundaryType type) {
    QTextBoundaryFinder finder(type, text);
    finder.setPosition(offset);
    if (!finder.isAtBoundary())
        finder.toPreviousBoundary();
    const int start = int(qMax<qsizetype>(finder.position(), 0));
    finder.setPosition(offset);
    const int end = int(finder.toNextBoundary());
    return {start, end < 0 ? int(text.size()) : end};
}

// The piece of `text` around `offset` that a step of `boundary` covers.
QString pieceAt(const QString &text, int offset, QAccessible::TextBoundaryType boundary, int *startOffset,
                int *endOffset) {
    *startOffset = *endOffset = -1;
    if (offset < 0 || offset > text.size() || text.isEmpty())
        return {};
    if (offset == text.size())
        offset = int(text.size()) - 1;
    QPair<int, int> piece{0, int(text.size())};
    switch (boundary) {
    case QAccessible::CharBoundary:
        piece = {offset, offset + 1};
        break;
    case QAccessible::WordBoundary:
        piece = boundaryAround(text, offset, QTextBoundaryFinder::Word);
        break;
    case QAccessible::SentenceBoundary:
        piece = boundaryAround(text, offset, QTextBoundaryFinder::Sentence);
        break;
    case QAccessible::LineBoundary:
    case QAccessible::ParagraphBoundary:
        piece = lineAround(text, offset);
        break;
    case QAccessible::NoBoundary:
        break;
    }
    *startOffset = piece.first;
    *endOffset = piece.second;
    return text.mid(piece.first, piece.second - piece.first);
}
} // namespace

void PlainAccessibleText::selection(int, int *startOffset, int *endOffset) const {
    *startOffset = *endOffset = 0;
}

QString PlainAccessibleText::text(int startOffset, int endOffset) const {
    const QString all = plainText();
    if (endOffset < 0 || endOffset > all.size())
        endOffset = int(all.size());
    return startOffset < 0 || startOffset >= endOffset ? QString()
                                                       : all.mid(startOffset, endOffset - startOffset);
}

QString PlainAccessibleText::attributes(int offset, int *startOffset, int *endOffset) const {
    *startOffset = *endOffset = offset;
    return {};
}

QString PlainAccessibleText::textAtOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                                          int *startOffset, int *endOffset) const {
    return pieceAt(plainText(), offset, boundaryType, startOffset, endOffset);
}

QString PlainAccessibleText::textBeforeOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                                              int *startOffset, int *endOffset) const {
    const QString all = plainText();
    int start = 0, end = 0;
    pieceAt(all, offset, boundaryType, &start, &end);
    if (start <= 0) {
        *startOffset = *endOffset = -1;
        return {};
    }
    return pieceAt(all, start - 1, boundaryType, startOffset, endOffset);
}

QString PlainAccessibleText::textAfterOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                                             int *startOffset, int *endOffset) const {
    const QString all = plainText();
    int start = 0, end = 0;
    pieceAt(all, offset, boundaryType, &start, &end);
    if (end < 0 || end >= all.size()) {
        *startOffset = *endOffset = -1;
        return {};
    }
    return pieceAt(all, end, boundaryType, startOffset, endOffset);
}
