namespace zelmot {}
