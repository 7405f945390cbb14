// Compiled (never run) by test/types.test.js: how a caller uses the declared types, and what the
// compiler must refuse. Each @ts-expect-error fails the compilation when its line compiles.
import { keywords, parse, type Diagnostic, type Node, type ParseResult } from 'vexa-frontend';
import { format, MESSAGES } from 'vexa-frontend/messages';
import { configFor, loadConfig, readConfigText, CONFIG_FILE_NAME, type LoadedConfig } from 'vexa-frontend/config';

async function use(): Promise<string[]> {
  const table = keywords({ instructions: ['MOV'], commands: ['#HMI'] }, false);
  const result: ParseResult = await parse('a.vx', Buffer.from('    MOV 1\n'), table.reference, {
    'core.strict': false,
    'core.dialect': 0,
    'syntax.parseBlocks': true,
    'diagnostic.limit': 0,
  });
  table.dispose();
  const seen: string[] = [];
  for (const node of result.nodes) {
    switch (node.type) {
      case 16:
        // Type 16 at the top level is an instruction; its operands are value nodes.
        if ('operands' in node) seen.push(node.name, String(node.precode), String(node.operands.length));
        break;
      case 15:
        for (const clause of node.clauses) seen.push(String(clause.comparator), String(clause.subsequence.length));
        break;
      case 17:
        for (const method of node.methods) seen.push(method.name, String(method.args.length));
        break;
      case 1:
        seen.push(String(node.address), node.label ?? '');
        break;
      case 5:
      case 7:
        seen.push(String(node.multiplier), String(node.size.type));
        break;
      case 10:
        seen.push(String(node.values.length));
        break;
    }
  }
  const first: Diagnostic | undefined = result.diagnostics[0];
  if (first) seen.push(format(first), MESSAGES[1203].text);
  // @ts-expect-error "severity" is 1 or 2
  const bad: Diagnostic = { code: 'VEXA1', severity: 3, range: result.nodes[0].range };
  // @ts-expect-error the main entry exports only parse and keywords
  import('vexa-frontend').then((m) => m.format);
  // @ts-expect-error rules need all four keys
  void parse('a', Buffer.alloc(0), 0, { 'core.strict': true });
  const any: Node = result.nodes[0];
  // @ts-expect-error an instruction has no "args"
  if (any.type === 16 && 'operands' in any) void any.args;
  void bad;
  return seen;
}

// The settings a file gives are what keywords and parse take.
async function useConfig(file: string | null): Promise<number> {
  const loaded: LoadedConfig = configFor(file, { cwd: '/' });
  for (const p of loaded.problems) console.log(`${p.file}:${p.line}:${p.column}: ${p.key ?? ''} ${p.message}`);
  const table = keywords(loaded.settings.keywords, loaded.settings.strictKeywords);
  const result = await parse(file ?? '<stdin>', Buffer.alloc(0), table.reference, loaded.settings.rules);
  const name: 'vexa.json' = CONFIG_FILE_NAME;
  // @ts-expect-error a problem's key may be null
  const key: string = readConfigText('{}', name).problems[0].key;
  void key;
  return result.diagnostics.length + (loadConfig(name).file === null ? 0 : 1);
}

void use;
void useConfig;
