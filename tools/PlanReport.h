#pragma once

#include <QString>

class PackagePlan;
class PackageWalk;

// What the opening of a package made differs from its plan; empty when it holds what was given.
QString packageDifferences(const PackagePlan& plan, const PackageWalk& walk);

// One line of what a plan holds, rows named by their folders: "36 horizontal pictures from
// level; 2 rows above of 12 pictures: up20 (photos 1, 4, 7, ... 34: every 3rd of 36), up40; ...".
QString packageSummary(const PackagePlan& plan);
