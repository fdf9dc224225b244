#pragma once
#include <QDateTime>
class GpsDateTime { public: QDateTime dt = QDateTime::currentDateTimeUtc(); };
