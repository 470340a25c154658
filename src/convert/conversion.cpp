#include "app/mainwindow.h"
#include "convert/report.h"

void mainwindow::selectpath()
{
}

void mainwindow::start()
{
}

void mainwindow::showresult(const RunReport &)
{
}
