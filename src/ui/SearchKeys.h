#pragma once

class Dataset;
class QLineEdit;

// Keys of a list window's search box. Up and Down move the list's current
// row and never reach the box. With TypingOnly the box also drops Left,
// Right, Home, End, Insert, Delete and the page keys, so it takes typed
// characters and Backspace only; Enter, Esc and Tab still act on the window.
enum class SearchKeys { UpDownOnly, TypingOnly };
void InstallSearchKeys(QLineEdit *box, Dataset *list, SearchKeys mode);
