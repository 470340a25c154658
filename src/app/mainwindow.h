// SPDX-License-Identifier: GPL-3.0-or-later
// The one window of Velloran: the file list, the output directory and the two
// encoding lists. The window gathers input and shows results; the file-list
// commands live in filelist/, the conversion commands in convert/.
#pragma once

#include <QList>
#include <QString>
#include <QWidget>

class QAction;
class QDragEnterEvent;
class QDropEvent;
class mainwindowui;

class mainwindow : public QWidget
{
    Q_OBJECT

public:
    explicit mainwindow(QWidget *parent = nullptr);
    ~mainwindow() override;

protected:
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private slots:
    void selectpath();
    void addpath();
    void add();
    void deleteitem();
    void start();

private:
    void showresult(const QString &text, const QString &details);

    mainwindowui *ui;
    QString inputpath;
    QString outputpath;
    QList<QAction *> actionlist;
};
