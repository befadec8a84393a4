#include "WTextEdit.h"

WTextEdit::WTextEdit(QQuickItem *parent)
    : WWidget(parent)
{
}

WTextEdit::~WTextEdit() = default;
