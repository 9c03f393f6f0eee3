#pragma once
// In no list of the project of this folder: its configure names this file.
