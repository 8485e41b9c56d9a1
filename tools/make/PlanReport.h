#pragma once

#include <QSize>
#include <QString>
#include <QtGlobal>

class PackagePlan;
class PackageWalk;

// What the opening of a package made differs from its plan; empty when it holds what was given.
QString packageDifferences(const PackagePlan& plan, const PackageWalk& walk);

// One line of what a plan holds, rows named by their folders: "36 horizontal pictures from
// level; 2 rows above of 12 pictures: up20 (photos 1, 4, 7, ... 34: every 3rd of 36), up40; ...".
QString packageSummary(const PackagePlan& plan);

// make's warning about the package it made and opened a picture at a time: "made, but this
// machine could not open it held decoded: ..." with the viewer's memory refusal when the viewer,
// on a screen of `screen` with `freeBytes` of free memory, would refuse it; empty otherwise.
QString viewerMemoryWarning(const PackageWalk& walk, qint64 freeBytes, QSize screen);
