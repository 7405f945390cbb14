-- Driven by test/editor.test.js: Neovim's built-in client starts the language server on a file
-- of a project, and what the editor then holds (diagnostics, a definition, references, the
-- buffer after a rename) is written as JSON to $VEXA_OUT. Waits are for conditions, with a cap.
local out = { steps = {} }

local function write()
  local f = assert(io.open(vim.env.VEXA_OUT, 'w'))
  f:write(vim.fn.json_encode(out))
  f:close()
end

local function run()
  local root = vim.env.VEXA_ROOT
  vim.cmd('edit ' .. vim.fn.fnameescape(vim.env.VEXA_FILE))
  local buf = vim.api.nvim_get_current_buf()
  local id = vim.lsp.start_client({
    name = 'vexa',
    cmd = { vim.env.VEXA_NODE, vim.env.VEXA_SERVER, '--stdio' },
    root_dir = root,
    workspace_folders = { { uri = vim.uri_from_fname(root), name = 'project' } },
  })
  assert(id, 'the client did not start')
  vim.lsp.buf_attach_client(buf, id)
  table.insert(out.steps, 'attached')

  assert(vim.wait(60000, function() return #vim.diagnostic.get(buf) > 0 end, 20), 'no diagnostics arrived')
  out.diagnostics = {}
  for _, d in ipairs(vim.diagnostic.get(buf)) do
    table.insert(out.diagnostics, { lnum = d.lnum, col = d.col, end_lnum = d.end_lnum, end_col = d.end_col,
      severity = d.severity, message = d.message, source = d.source })
  end

  local function request(method, line, character, extra)
    local params = { textDocument = { uri = vim.uri_from_bufnr(buf) }, position = { line = line, character = character } }
    for k, v in pairs(extra or {}) do params[k] = v end
    local responses, err = vim.lsp.buf_request_sync(buf, method, params, 30000)
    assert(responses, method .. ': ' .. tostring(err))
    local response = responses[id]
    assert(response and not response.err, method .. ': ' .. vim.inspect(response and response.err))
    return response.result
  end

  local function ranges(result)
    local list = {}
    for _, l in ipairs(result) do
      table.insert(list, { l.range.start.line, l.range.start.character, l.range['end'].line, l.range['end'].character })
    end
    table.sort(list, function(a, b) return a[1] < b[1] or (a[1] == b[1] and a[2] < b[2]) end)
    return list
  end

  out.definition = ranges(request('textDocument/definition', 2, 13))
  out.references = ranges(request('textDocument/references', 4, 9, { context = { includeDeclaration = true } }))
  local edit = request('textDocument/rename', 1, 1, { newName = 'START' })
  vim.lsp.util.apply_workspace_edit(edit, 'utf-16')
  out.renamed = vim.api.nvim_buf_get_lines(buf, 0, -1, false)
  vim.lsp.stop_client(id)
  table.insert(out.steps, 'done')
end

local ok, err = pcall(run)
if not ok then out.error = tostring(err) end
write()
vim.cmd('qa!')
