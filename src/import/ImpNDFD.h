#pragma once
// The temperature forecast importer: asks the NDFD forecast service for a forecast of
// daily maximum and minimum temperatures at the field's position and turns the reply
// (a DWML document) into day lines "yyyymmdd=max,min" from today on.

#include "ImpWeath.h"
#include "SoapBase.h"
#include "XmlUtil.h"

#include <QByteArray>
#include <QDate>
#include <QString>

#include <functional>

class TImportedNdfd : public TImportedWeather {
 public:
  // The service's address; empty for its usual endpoint.
  QString ServiceAddress;
  TSoapTransportOptions TransportOptions;
  // The forecast's first day; an invalid date (the default) stands for today.
  QDate Today;

  // LatText and LonText are decimal texts with "."; NumDays the days asked for (5 from
  // the main window). True when the reply was read; otherwise ErrMsg says why and the
  // object holds no day lines. The reply passes through a temporary file that is
  // deleted on every way out. Metric tells the units asked for, and so the units of
  // the temperatures.
  bool GetForecast(const QString& LatText, const QString& LonText, int NumDays, bool Metric, QString& ErrMsg);
  // Reads a DWML document from a file into day lines (replacing any held). False with
  // ErrMsg when the document lacks what is needed; the object then holds no day lines.
  bool ParseDwml(const QString& FileName, QString& ErrMsg);
  // The same for a DWML document already in memory.
  bool ParseDwmlData(const QByteArray& Data, QString& ErrMsg);

 private:
  bool ReadDwml(const std::function<void(const TXmlDocument&)>& Load, QString& ErrMsg);
  QDate FirstDay() const;
};
