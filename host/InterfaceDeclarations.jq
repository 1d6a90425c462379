# The functions of the interface that a module imports from the simulator, read from
# clang's JSON dump of the interface headers: declared there and not defined there
# (inline functions and the modules' own C entry points are no imports). One line each:
# "Class::name type", a tab, and the name the target's compiler gives it.
def imported($prefix):
  select((.kind == "FunctionDecl" or .kind == "CXXMethodDecl" or .kind == "CXXConstructorDecl")
         and (.isImplicit | not)
         and ((.inner // []) | map(.kind) | index("CompoundStmt") | not)
         and ((.mangledName // "") | startswith($prefix)));
.inner[]
| if .kind == "CXXRecordDecl"
  then .name as $class | (.inner // [])[] | imported($prefix) | "\($class)::\(.name) \(.type.qualType)\t\(.mangledName)"
  else imported($prefix) | "\(.name) \(.type.qualType)\t\(.mangledName)"
  end
