// tonvert-check FILE...: exit 0 when the tracker would import every document,
// else 1 with the first problem of each one that it would not.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "document_check.h"

int main(int argc, char** argv) {
  int status = argc < 2 ? 2 : 0;
  for (int i = 1; i < argc; ++i) {
    std::ifstream in(argv[i], std::ios::binary);
    const std::string document(std::istreambuf_iterator<char>(in), {});
    const std::string problem =
        in ? tonvert::check::CheckDocument(document, tonvert::check::ImportRules()) : "cannot read the file";
    if (!problem.empty()) status = std::fprintf(stderr, "%s: %s\n", argv[i], problem.c_str()) > 0;
  }
  if (argc < 2) std::fprintf(stderr, "usage: tonvert-check FILE...\n");
  return status;
}
