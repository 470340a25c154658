#include "app/mainwindow.h"

#include <QDragEnterEvent>
#include <QDropEvent>

void mainwindow::dragEnterEvent(QDragEnterEvent *event)
{
    QWidget::dragEnterEvent(event);
}

void mainwindow::dropEvent(QDropEvent *event)
{
    QWidget::dropEvent(event);
}
