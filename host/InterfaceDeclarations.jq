# The functions of the interface that a module imports from the simulator, read from
# clang's JSON dump of the interface headers: declared there and not defined there
# (inline functions and the modules' own C entry points are no imports). One line each:
# "Class::name type", a tab, and the name the target's compiler gives it, without the
# prefix $underscore that the target puts before every symbol (the "_" of 32-bit mingw-w64,
# which a .def file leaves out).
def symbol: (.mangledName // "") | ltrimstr($underscore);
def imported($prefix):
  select((.kind == "FunctionDecl" or .kind == "CXXMethodDecl" or .kind == "CXXConstructorDecl")
         and (.isImplicit | not)
         and ((.inner // []) | map(.kind) | index("CompoundStmt") | not)
         and (symbol | startswith($prefix)));
.inner[]
| if .kind == "CXXRecordDecl"
  then .name as $class | (.inner // [])[] | imported($prefix) | "\($class)::\(.name) \(.type.qualType)\t\(symbol)"
  else imported($prefix) | "\(.name) \(.type.qualType)\t\(symbol)"
  end
