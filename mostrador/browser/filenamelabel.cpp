#include "filenamelabel.h"

FileNameLabel::FileNameLabel(QWidget *parent) : QLabel(parent)
{
    setTextFormat(Qt::PlainText);
    // The layout gives the label its room; the name fits itself into it.
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
}

void FileNameLabel::setFileName(const QString &name)
{
    m_name = name;
    setToolTip(name);
    elide();
}

QSize FileNameLabel::minimumSizeHint() const
{
    return {0, QLabel::minimumSizeHint().height()};
}

void FileNameLabel::resizeEvent(QResizeEvent *event)
{
    QLabel::resizeEvent(event);
    elide();
}

void FileNameLabel::elide()
{
    setText(fontMetrics().elidedText(m_name, Qt::ElideMiddle, contentsRect().width()));
}
