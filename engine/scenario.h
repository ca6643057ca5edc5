/// @file
/// The program's one fixed scenario.
#pragma once

/// Two actors exchange one message through the entity table, then a quad tree is built over
/// the square from -512 to 512. Prints the scenario's trace; returns the exit status, 0.
int runScenario();
