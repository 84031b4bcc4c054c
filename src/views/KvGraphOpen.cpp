#include "KvGraphOpen.h"

void DetailedGraph(QWidget*, int, TDetailedOutput&, bool, const QString&, const QString&, const QString&) {}
