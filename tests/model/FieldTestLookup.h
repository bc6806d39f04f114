#pragma once
// Small lookup tables for the field, unit and calendar tests, written to a temporary
// lookup file and read through the ordinary loader.
//
// Crops:     1 Corn    annual,    15/25/40/20 %, Kc 0.3/1.2/0.35, GDD base 10, cap 30
//            2 Alfalfa perennial, 10/20/50/20 %, Kc 0.4/1.0/0.9,  no GDD bases
//            3 Rising  annual,    20/30/30/20 %, Kc 0.4/0.8/1.1,  GDD base 5, no cap
// Locations: 1 Iowa (a US state), 2 Cape Town (not in the US)

#include "SovLookup.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

inline const char* FieldTestLookupText() {
  return "[Region]\r\n"
         "Name=Test Region\r\n"
         "\r\n"
         "[Crop1]\r\n"
         "Name=Corn\r\n"
         "IsPerennial=No\r\n"
         "RootingDepth=36\r\n"
         "InitPct=15\r\nDevPct=25\r\nMidPct=40\r\nLatePct=20\r\n"
         "KcIni=0.3\r\nKcMid=1.2\r\nKcEnd=0.35\r\n"
         "GDDMinBase=10\r\nGDDMaxBase=30\r\n"
         "\r\n"
         "[Crop2]\r\n"
         "Name=Alfalfa\r\n"
         "IsPerennial=Yes\r\n"
         "RootingDepth=48\r\n"
         "InitPct=10\r\nDevPct=20\r\nMidPct=50\r\nLatePct=20\r\n"
         "KcIni=0.4\r\nKcMid=1.0\r\nKcEnd=0.9\r\n"
         "\r\n"
         "[Crop3]\r\n"
         "Name=Rising\r\n"
         "IsPerennial=No\r\n"
         "RootingDepth=24\r\n"
         "InitPct=20\r\nDevPct=30\r\nMidPct=30\r\nLatePct=20\r\n"
         "KcIni=0.4\r\nKcMid=0.8\r\nKcEnd=1.1\r\n"
         "GDDMinBase=5\r\n"
         "\r\n"
         "[Location1]\r\n"
         "Name=Iowa\r\nState=Iowa\r\nStateAbbr=IA\r\n"
         "\r\n"
         "[Location2]\r\n"
         "Name=Cape Town\r\nCountry=South Africa\r\nCountryFIPS=SF\r\nCountryISO=ZA\r\n"
         "\r\n"
         "[WeatherSource1]\r\n"
         "Name=WU_ASOS\r\n";
}

inline std::unique_ptr<TSovLookup> LoadFieldTestLookup() {
  QTemporaryDir Dir;
  EXPECT_TRUE(Dir.isValid());
  const QString Name = Dir.filePath("SovLookup.ini");
  QFile File(Name);
  EXPECT_TRUE(File.open(QIODevice::WriteOnly));
  File.write(FieldTestLookupText());
  File.close();
  auto Lookup = std::make_unique<TSovLookup>();
  QString Msg;
  EXPECT_TRUE(Lookup->LoadFromFile(Name, Msg)) << Msg.toStdString();
  return Lookup;
}
