#pragma once
// Listed by the project of this folder.
